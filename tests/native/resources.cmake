# Resources: the program's icon is kept as an editable picture (ui/resources/telephone.xpm)
# beside the icon file the resource script includes; these tests keep the two in step and
# check the application manifest.
set(resources_dir ${CMAKE_CURRENT_LIST_DIR}/../../ui/resources)
set(resources_test_dir ${CMAKE_CURRENT_LIST_DIR}/resources)

add_test(NAME resources_icon_matches_its_picture
  COMMAND ${CMAKE_COMMAND}
    -DMAKE_ICON=$<TARGET_FILE:make_icon>
    -DPICTURE=${resources_dir}/telephone.xpm
    -DICON=${resources_dir}/telephone.ico
    -DOUTPUT=${CMAKE_CURRENT_BINARY_DIR}/telephone.ico
    -P ${resources_test_dir}/compare_icon.cmake)

# Pictures the converter must refuse, each with the reason it has to give.
set(refused_pictures
  "wrong_colour|is not one of the 16 standard colours"
  "undefined_key|row 2 uses an undefined colour key"
  "short_row|row 2 has the wrong length")
foreach(case IN LISTS refused_pictures)
  string(REPLACE "|" ";" case "${case}")
  list(GET case 0 picture)
  list(GET case 1 reason)
  add_test(NAME resources_make_icon_refuses_${picture}
    COMMAND make_icon ${resources_test_dir}/${picture}.xpm
                      ${CMAKE_CURRENT_BINARY_DIR}/${picture}.ico)
  set_tests_properties(resources_make_icon_refuses_${picture} PROPERTIES
    PASS_REGULAR_EXPRESSION "${reason}")
endforeach()

# An independent reading of the committed icon: ImageMagick must see exactly the pixels
# (colours and transparency) of the picture.
find_program(IMAGEMAGICK_COMPARE compare)
if(IMAGEMAGICK_COMPARE)
  add_test(NAME resources_icon_shows_its_picture
    COMMAND ${IMAGEMAGICK_COMPARE} -channel RGBA -metric AE
            ${resources_dir}/telephone.xpm ${resources_dir}/telephone.ico null:)
endif()

find_program(XMLLINT xmllint)
if(XMLLINT)
  configure_file(${resources_dir}/vesmo.manifest.in vesmo.manifest @ONLY)
  add_test(NAME resources_manifest_is_well_formed
    COMMAND ${XMLLINT} --noout ${CMAKE_CURRENT_BINARY_DIR}/vesmo.manifest)
endif()
