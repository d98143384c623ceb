#include "FakeBatchWindow.h"

#include "Error.h"

namespace mirado::test {

void FakeBatchWindow::SetProgressMax(int maximum) {
    if (refuseMaximum && *refuseMaximum == maximum) throw Error(380, u"プロパティの値が無効です。");
    progressMaximums.push_back(maximum);
}

void FakeBatchWindow::SetProgressValue(int value) { progressValues.push_back(value); }

ReplaceAnswer FakeBatchWindow::ShowReplaceDialog() { return dialogAnswer; }

}  // namespace mirado::test
