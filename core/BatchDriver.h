#pragma once

#include <string>
#include <vector>

namespace mirado {

class BatchWindow;
class Error;
class TakenNames;

// Copies every dropped file, in order, under its new name into the output
// folder beside it. The first failure is reported once and ends the batch;
// the progress bar is back at 0 on every way out.
void ProcessFiles(BatchWindow& window, const std::vector<std::u16string>& files);

// Copies one file to a collision-free variant of target; taken is what the
// batch knows of the names in use. Returns false when the copy failed; the
// failure has then been reported already.
bool CopyFileTo(BatchWindow& window, TakenNames& taken, const std::u16string& source, const std::u16string& target);

// The text of the error box: the number in decimal, ":" and the description.
std::u16string ErrorReportText(const Error& error);

}  // namespace mirado
