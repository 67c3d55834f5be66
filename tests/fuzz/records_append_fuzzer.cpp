// Records an arbitrary number in an arbitrary history file. Afterwards every record the file
// held loads as before and the new number loads as itself (as it would from a file of its
// own), and no byte of the old file moves except to make room for the new line.
#include "History.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string number = input.ConsumeRandomLengthString(300);
    const std::string existing = input.ConsumeRemainingBytesAsString();

    const HistoryAppend change = PlanHistoryAppend(existing, number);
    const std::string after = change.replacesFile ? change.bytes : existing + change.bytes;

    std::vector<std::string> expected = ParseHistory(existing);
    std::string ownFile;
    AppendLine(ownFile, number);
    for (std::string& record : ParseHistory(ownFile))
        expected.push_back(std::move(record));
    if (ParseHistory(after) != expected)
        std::abort();

    // The old bytes stay in order around one inserted run.
    const std::size_t inserted = after.size() - existing.size();
    std::size_t same = 0;
    while (same < existing.size() && after[same] == existing[same])
        ++same;
    if (after.compare(same + inserted, std::string::npos, existing, same, std::string::npos) != 0)
        std::abort();
    // A file that Vesmo wrote itself only grows by the new line.
    const bool ownWriting = existing.find('\x1A') == std::string::npos && (existing.empty() || existing.back() == '\n');
    if (ownWriting && (change.replacesFile || change.bytes != ownFile))
        std::abort();
    return 0;
}
