// Records an arbitrary number in an arbitrary history file, read whole or, as a long file is,
// only from an arbitrary byte on. Afterwards every record read from there loads as before and
// the new number loads after them as itself (as it would from a file of its own), and no byte
// of the old file moves except to make room for the new line.
#include "History.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string number = input.ConsumeRandomLengthString(300);
    const bool readWhole = input.ConsumeBool();
    const std::size_t cutAt = input.ConsumeIntegral<std::uint16_t>();
    const std::string existing = input.ConsumeRemainingBytesAsString();
    // Where the read begins: 0 is the whole file, and a read from inside it holds a byte at least.
    const std::size_t cut = readWhole || existing.size() < 2 ? 0 : 1 + cutAt % (existing.size() - 1);
    const bool wholeFile = cut == 0;
    const std::string_view tail = std::string_view(existing).substr(cut);

    const HistoryAppend change = PlanHistoryAppend(tail, number, wholeFile);
    const std::string after = existing.substr(0, cut) + (change.replacesFile ? change.bytes : std::string(tail) + change.bytes);

    std::vector<std::string> expected = ListedHistory(tail, wholeFile);
    std::string ownFile;
    AppendLine(ownFile, number);
    for (std::string& record : ParseHistory(ownFile))
        expected.push_back(std::move(record));
    if (expected.size() > kMaxHistoryLines)
        expected.erase(expected.begin(), expected.end() - kMaxHistoryLines);
    if (ListedHistory(std::string_view(after).substr(cut), wholeFile) != expected)
        std::abort();

    // The old bytes stay in order around one inserted run.
    const std::size_t inserted = after.size() - existing.size();
    std::size_t same = 0;
    while (same < existing.size() && after[same] == existing[same])
        ++same;
    if (after.compare(same + inserted, std::string::npos, existing, same, std::string::npos) != 0)
        std::abort();
    // A file that Vesmo wrote itself only grows by the new line: where the read finds whole
    // lines, it finds no 0x1A mark and a line end at the end.
    const std::size_t linesStart = wholeFile ? 0 : tail.find('\n');
    const bool ownWriting = linesStart != std::string_view::npos &&
                            tail.find('\x1A', linesStart) == std::string_view::npos &&
                            (tail.empty() || tail.back() == '\n');
    if (ownWriting && (change.replacesFile || change.bytes != ownFile))
        std::abort();
    return 0;
}
