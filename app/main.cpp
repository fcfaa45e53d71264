#include "app/FolderWindow.h"
#include "app/WindowCommand.h"
#include "convert/ChildProcess.h"
#include "core/Translations.h"
#include "runs/StartUp.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    // The folder is the whole command line; Qt must not take any of it for its own options.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    int qtArgc = 1;
    const qf::WindowCommand command = qf::ParseWindowCommand(arguments);
    if (command.kind != qf::WindowCommand::Kind::Open) {
        // Said and done without a window, so also where there is no display.
        QCoreApplication app(qtArgc, argv);
        qf::InstallTranslations();
        if (command.kind == qf::WindowCommand::Kind::Help) {
            std::printf("%s", qPrintable(qf::WindowUsage()));
            return 0;
        }
        if (command.kind == qf::WindowCommand::Kind::Version) {
            std::printf("quirefold %s\n", QUIREFOLD_VERSION);
            return 0;
        }
        std::fprintf(
            stderr, "quirefold: %s\n\n%s",
            qPrintable(
                QCoreApplication::translate("Window", "unknown option %1").arg(arguments.first())),
            qPrintable(qf::WindowUsage()));
        return 2;
    }
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName(qf::kProgramTitle);
    QApplication::setStyle(QStringLiteral("Fusion"));
    qf::InstallTranslations();
    qf::ChildProcess::EndChildrenOnSignals();

    qf::Workspace ws = qf::Workspace::FromArguments({command.folder});
    qf::FolderWindow form(ws);
    const qf::Problems problems = qf::StartUp(ws, form, [&form] { form.ShowCentred(); });
    for (const qf::Status &problem : problems.list())
        std::fprintf(stderr, "quirefold: %s\n", qPrintable(problem.message()));
    // Once the window is painted: a folder that could not be opened is said there.
    QTimer::singleShot(0, &form, [&form, problems] { form.OfferAnotherFolder(problems); });
    const int status = app.exec();
    // Quit during a run (the session ending, say): the run is stopped before the program ends.
    form.EndRun();
    return status;
}
