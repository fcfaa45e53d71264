#include "runs/FilingCheckRun.h"

#include "filing/FilingCheck.h"
#include "jobs/Requests.h"
#include "runs/FolderState.h"
#include "runs/JobThread.h"

#include <QCoreApplication>

#include <memory>

namespace qf {

void FilingCheckRun(const RunContext &ctx, std::function<void()> ended)
{
    struct Check {
        CompileRequest request;
        QList<FilingFinding> findings;
    };
    auto check = std::make_shared<Check>();
    check->request = CompileRequestFor(ctx.ws, SelectionOf(ctx.window), ctx.programFolder);
    ctx.window.StatusLine().Show(
        QCoreApplication::translate("Runs", "Checking the book for filing..."));
    MainWindow &window = ctx.window;
    StartBesideWindow([check] { check->findings = CheckForFiling(check->request); },
                      [check, &window, ended = std::move(ended)]() mutable {
                          QStringList lines;
                          for (const FilingFinding &finding : check->findings)
                              lines.append(FindingLine(finding));
                          const QString said =
                              lines.isEmpty()
                                  ? NothingForFilingSaid()
                                  : QCoreApplication::translate(
                                        "Runs", "What a filing portal usually refuses, found in "
                                                "the book:") +
                                        QStringLiteral("\n\n") + lines.join(QStringLiteral("\n\n"));
                          window.StatusLine().Show(QString());
                          window.Messages().Open(said, kProgramTitle,
                                                 lines.isEmpty() ? MessageBox::Icon::Information
                                                                 : MessageBox::Icon::Warning,
                                                 std::move(ended));
                      });
}

} // namespace qf
