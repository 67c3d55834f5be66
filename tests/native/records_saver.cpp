// A process that saves the way Vesmo does, for the interrupted-save tests to kill.
//   records_saver speed-dial DIR A|B REPEAT   loads DIR/sfile.vmo, then saves set A or B REPEAT times
//   records_saver history DIR FIRST COUNT     records the numbers FIRST, FIRST+1, ... in DIR/SentNum.VMO
#include "records_saver_sets.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: records_saver speed-dial DIR A|B REPEAT | history DIR FIRST COUNT\n");
        return 2;
    }
    const std::string_view mode = argv[1];
    const std::string dir = argv[2];
    const long count = std::strtol(argv[4], nullptr, 10);
    if (mode == "speed-dial") {
        const std::string path = dir + "/" + kSpeedDialFileName;
        SpeedDialSet loaded;
        LoadSpeedDialFile(path.c_str(), loaded.table);
        SpeedDialSet set;
        FillSpeedDialSet(argv[3][0], set);
        for (long i = 0; i < count; ++i)
            if (!SaveSpeedDialFile(path.c_str(), set.table))
                return 1;
        return 0;
    }
    if (mode == "history") {
        const std::string path = dir + "/" + kHistoryFileName;
        const long first = std::strtol(argv[3], nullptr, 10);
        for (long n = first; n < first + count; ++n)
            if (!AppendHistoryRecord(path.c_str(), std::to_string(n).c_str()))
                return 1;
        return 0;
    }
    return 2;
}
