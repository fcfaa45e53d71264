// The window's runs against the batch command's on the same folders: the window's run is its
// button's click on a window started on the folder; the batch command's is the whole command, its
// start-up included. Run it through bench/window_vs_batch.sh, which makes the folders.
#include "app/FolderWindow.h"
#include "batch/BatchCommand.h"
#include "convert/OfficePlugin.h"
#include "runs/StartUp.h"

#include <QApplication>
#include <QEventLoop>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

QString Folder(const char *variable)
{
    return QString::fromLocal8Bit(std::getenv(variable));
}

QString ProgramFolder()
{
    return QCoreApplication::applicationDirPath();
}

// The run's messages kept, not shown: a modal one would wait for a click.
class KeptMessages : public qf::MessageBox {
public:
    void Show(const QString &text, const QString &, Icon) override { shown.append(text); }
    void Open(const QString &text, const QString &caption, Icon icon,
              std::function<void()> closed) override
    {
        Show(text, caption, icon);
        closed();
    }
    bool Ask(const QString &, const QString &) override { return true; }
    QStringList shown;
};

void ClickInWindow(benchmark::State &state, const QString &folder, const char *button)
{
    qf::Workspace ws = qf::Workspace::FromArguments({folder});
    qf::FolderWindow form(ws);
    qf::StartUp(ws, form, [&form] { form.ShowCentred(); });
    for (qf::TickList *list : {&form.DocumentList(), &form.PdfList()})
        for (int i = 0; i < list->Count(); ++i)
            list->SetTicked(i, true);
    form.BlankSheetOption().SetState(Qt::Checked);
    form.BookName().SetText(QStringLiteral("Book.pdf"));
    qf::NoSound sound;
    qf::NoBookViewer viewer;
    KeptMessages messages;
    form.SetMessageBox(&messages);
    form.SetRunHooks({&sound, &viewer, ProgramFolder(), {}});
    auto *command = form.findChild<QPushButton *>(QString::fromLatin1(button));
    for (auto _ : state) {
        // The click starts the run; the window's events go on until it has ended.
        QEventLoop loop;
        QObject::connect(&form, &qf::FolderWindow::RunEnded, &loop, &QEventLoop::quit);
        command->click();
        loop.exec();
    }
    if (!messages.shown.isEmpty())
        state.SkipWithError(qPrintable(messages.shown.first() +
                                       QStringLiteral(" (%1 listed)").arg(form.PdfList().Count())));
}

void RunBatch(benchmark::State &state, const QStringList &arguments)
{
    for (auto _ : state)
        if (qf::RunBatchCommand(QStringList{QStringLiteral("quirefold-batch")} + arguments,
                                qf::LibreOfficeFromPlugin(ProgramFolder())) != 0)
            state.SkipWithError("the batch command failed");
}

void BM_CompileInWindow(benchmark::State &state, const char *folder)
{
    ClickInWindow(state, Folder(folder), "Command3");
}

void BM_CompileInBatch(benchmark::State &state, const char *folder)
{
    RunBatch(state, {QStringLiteral("--compile"), QStringLiteral("--blank-sheets"),
                     QStringLiteral("-o"), QStringLiteral("Book.pdf"), Folder(folder)});
}

void BM_ConvertInWindow(benchmark::State &state)
{
    ClickInWindow(state, Folder("QUIREFOLD_BENCH_DOCS"), "Command1");
}

void BM_ConvertInBatch(benchmark::State &state)
{
    RunBatch(state, {QStringLiteral("--convert"), Folder("QUIREFOLD_BENCH_DOCS")});
}

} // namespace

BENCHMARK_CAPTURE(BM_CompileInWindow, 200_pdfs, "QUIREFOLD_BENCH_PDFS_200")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CompileInBatch, 200_pdfs, "QUIREFOLD_BENCH_PDFS_200")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CompileInWindow, 1000_pdfs, "QUIREFOLD_BENCH_PDFS_1000")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CompileInBatch, 1000_pdfs, "QUIREFOLD_BENCH_PDFS_1000")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CompileInWindow, 2000_pdfs, "QUIREFOLD_BENCH_PDFS_2000")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CompileInBatch, 2000_pdfs, "QUIREFOLD_BENCH_PDFS_2000")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertInWindow)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ConvertInBatch)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
