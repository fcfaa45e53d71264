#pragma once

#include "runs/CompileRun.h"
#include "runs/RunContext.h"
#include "support/MemoryWindow.h"
#include "support/PdfFixtures.h"
#include "support/RunToEnd.h"
#include "support/TestFolder.h"

#include <functional>

using namespace qf;

struct RecordingSound : CompletionSound {
    int played = 0;
    void Play(std::function<void()> ended) override
    {
        ++played;
        ended();
    }
};

// The compile run, from its start to its end.
inline void CompileRun(const RunContext &ctx)
{
    RunToEnd([&](std::function<void()> ended) { qf::CompileRun(ctx, std::move(ended)); });
}

struct RecordingViewer : BookViewer {
    QStringList shown;
    bool opens = true; // false: as a desktop without a PDF viewer
    bool ShowBook(const QString &path) override
    {
        shown.append(path);
        return opens;
    }
};

using Bookmarks = QList<std::pair<QString, int>>;

// A folder of PDFs, a window showing them all ticked, and a run context with recorders.
struct CompileFixture {
    TestFolder folder;
    Workspace ws;
    MemoryWindow window;
    RecordingSound sound;
    RecordingViewer viewer;
    RunContext ctx{ws, window, sound, viewer, QStringLiteral(QUIREFOLD_PROGRAM_FOLDER)};

    // names with their page counts; the i-th file's pages are tagged 100 * i.
    explicit CompileFixture(const QList<std::pair<QString, int>> &pdfs)
        : ws(Workspace::FromArguments({folder.path()}))
    {
        int tag = 0;
        for (const auto &[name, pages] : pdfs) {
            MakePdf(folder.file(name), pages, tag);
            tag += 100;
            window.pdfList.AddItem(name);
        }
        for (int i = 0; i < window.pdfList.Count(); ++i)
            window.pdfList.SetTicked(i, true);
        window.blankSheetOption.SetState(Qt::Checked);
        window.bookName.SetText(QStringLiteral("Book.pdf"));
    }
    QString book(const QString &name = QStringLiteral("Book.pdf")) const
    {
        return folder.file(QStringLiteral("PDFCompile Output/") + name);
    }
    QStringList messages() const
    {
        QStringList out;
        for (const auto &m : window.messages.shown())
            out << m.text;
        return out;
    }
};
