// Start-up on a folder of 10,000 files: 5,000 documents and 5,000 PDFs, a fifth of each unticked
// by the ignore lists. Run with QT_QPA_PLATFORM=offscreen.
#include "app/FolderWindow.h"
#include "runs/StartUp.h"
#include "store/FolderSelection.h"

#include <QApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kFilesPerKind = 5000;

const QTemporaryDir &Folder()
{
    static QTemporaryDir dir;
    static bool made = false;
    if (!made) {
        QByteArray docIgnore, pdfIgnore;
        QStringList names;
        for (int i = 0; i < kFilesPerKind; ++i)
            names << QStringLiteral("Chapter %1 of the Book").arg(i);
        // Files are made in shuffled order, so the listing cannot rely on the folder's order.
        std::shuffle(names.begin(), names.end(), *QRandomGenerator::global());
        for (int i = 0; i < kFilesPerKind; ++i) {
            QFile(dir.filePath(names[i] + QStringLiteral(".doc"))).open(QIODevice::WriteOnly);
            QFile(dir.filePath(names[i] + QStringLiteral(".PDF"))).open(QIODevice::WriteOnly);
            if (i % 5 == 0) {
                docIgnore += (names[i] + QStringLiteral(".doc\r\n")).toUtf8();
                pdfIgnore += (names[i] + QStringLiteral(".PDF\r\n")).toUtf8();
            }
        }
        QFile doc(dir.filePath(QStringLiteral("QFDOCIgnore.INI")));
        doc.open(QIODevice::WriteOnly);
        doc.write(docIgnore);
        QFile pdf(dir.filePath(QStringLiteral("QFPDFIgnore.INI")));
        pdf.open(QIODevice::WriteOnly);
        pdf.write(pdfIgnore);
        made = true;
    }
    return dir;
}

void CheckResult(benchmark::State &state, qf::MainWindow &window)
{
    if (window.DocumentList().Count() != kFilesPerKind || window.PdfList().Count() != kFilesPerKind)
        state.SkipWithError("wrong item count");
}

void BM_StartUpWindow(benchmark::State &state)
{
    const QString folder = Folder().path();
    for (auto _ : state) {
        qf::Workspace ws = qf::Workspace::FromArguments({folder});
        qf::FolderWindow form(ws);
        qf::StartUp(ws, form, [&form] { form.ShowCentred(); });
        QApplication::processEvents();
        CheckResult(state, form);
    }
}
BENCHMARK(BM_StartUpWindow)->Unit(benchmark::kMillisecond)->MinTime(3);

// The folder's state as the batch command loads it.
void BM_StartUpWithoutScreen(benchmark::State &state)
{
    const QString folder = Folder().path();
    for (auto _ : state) {
        qf::Workspace ws = qf::Workspace::FromArguments({folder});
        qf::FolderSelection selection;
        qf::LoadFolderSelection(ws, qf::MissingIgnoreLists::Create, selection);
        if (selection.documents.names.size() != kFilesPerKind ||
            selection.pdfs.Ticked().size() != kFilesPerKind - kFilesPerKind / 5)
            state.SkipWithError("the folder was not listed as expected");
    }
}
BENCHMARK(BM_StartUpWithoutScreen)->Unit(benchmark::kMillisecond)->MinTime(3);

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
