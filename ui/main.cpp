#include <QApplication>
#include <QSessionManager>

#include <algorithm>
#include <cstring>
#include <vector>

#include "Appearance.h"
#include "CommandLine.h"
#include "StartArguments.h"
#include "TerminationSignals.h"
#include "frmMain.h"

using mirado::ui::CommandLine;

int main(int argc, char* argv[]) {
    // Qt is shown the arguments before "--" only, so that it takes no file
    // after it for an option of its own; they are read again once it has
    // taken its own.
    char** const end = std::find_if(argv + std::min(argc, 1), argv + argc,
                                    [](const char* argument) { return std::strcmp(argument, "--") == 0; });
    std::vector<char*> afterOptions(end, argv + argc);
    int qtArgc = static_cast<int>(end - argv);

    // The help and the version before anything needs a display.
    const CommandLine early(mirado::StartArguments(argc, argv));
    if (early.Asks() == CommandLine::Request::Help || early.Asks() == CommandLine::Request::Version) {
        mirado::TellStarter(early.Answer(), false);
        return 0;
    }

    QApplication app(qtArgc, argv);
    std::vector<char*> left(argv, argv + qtArgc);
    left.insert(left.end(), afterOptions.begin(), afterOptions.end());
    const CommandLine command(mirado::StartArguments(static_cast<int>(left.size()), left.data()));
    if (command.Asks() == CommandLine::Request::Refuse) {
        mirado::TellStarter(command.Answer(), true);
        return 2;
    }
    mirado::ui::PrepareApplication(app);
    frmMain window;
    // The end of the session and a request to terminate end a running batch
    // as the close box does, leaving no partial copy.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, [&window](QSessionManager&) {
        window.EndSession();
    });
    mirado::TerminationSignals termination;
    QObject::connect(&termination, &mirado::TerminationSignals::requested, &window, &frmMain::EndSession);
    window.show();
    window.HoldFiles(command.Files());
    return app.exec();
}
