#pragma once

#include <stop_token>
#include <string>
#include <vector>

#include "ConversionTypes.h"

namespace mirado {

class BatchEvents;
class FileServices;

// Everything a batch needs to know, gathered before it starts: the dropped
// files in drop order, the conversion type chosen at the drop, and the
// find and replacement texts (used by the types that ask for them).
struct BatchRequest {
    std::vector<std::u16string> files;
    int type = 0;
    ReplaceTexts texts;
    // At most this many copies under way at once; 0 leaves it to the file
    // services (the benchmarks compare with 1, one file at a time).
    int copiesAtOnce = 0;
};

// Copies every file of the request, in order, under its new name into the
// output folder beside it, and tells events how it goes. The first failure
// is reported once and ends the batch; a stop asked for through stop ends
// it at the next piece of work without a report, leaving no partial copy.
// The bar's value is 0 on every way out.
void RunBatch(const BatchRequest& request, FileServices& fso, BatchEvents& events, std::stop_token stop = {});

}  // namespace mirado
