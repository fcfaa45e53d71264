#pragma once

#include <QString>

#include <atomic>
#include <memory>

namespace qf::lo {

// How one call into the office ended.
struct Outcome {
    enum class Kind {
        Done,
        Failed,
        Lost, // the connection to the office is gone: it ended or was ended
    };
    Kind kind = Kind::Done;
    QString reason;

    static Outcome Ok() { return {}; }
    static Outcome Fail(const QString &why) { return {Kind::Failed, why}; }
    static Outcome Gone() { return {Kind::Lost, QString()}; }
};

// This process's side of UNO, set up once per process and reused for every office. False with a
// reason when the office's components cannot be loaded.
bool PrepareUno(QString *reason);

// The connection to one running office and its one open document. Every call but Lost() blocks
// until the office answers, so callers run them on a worker thread, one at a time.
class UnoSession {
public:
    UnoSession();
    ~UnoSession();
    UnoSession(const UnoSession &) = delete;
    UnoSession &operator=(const UnoSession &) = delete;

    enum class Connect { Connected, NotYet, Failed };
    // One attempt to reach the office listening on pipeName.
    Connect TryConnect(const QString &pipeName, QString *reason);
    // Opens path read-only and hidden, refusing every question, as the open document.
    Outcome Open(const QString &path);
    // Writes the open document to outputFile as PDF.
    // Tagged, with the document's language, and its headings as bookmarks.
    Outcome ExportPdf(const QString &outputFile, bool tagged);
    // Closes the open document without saving; none open is fine.
    Outcome Close();
    // Asks the office to end; false when it refused.
    bool Terminate();

    bool HasDocument() const;
    // Whether the connection broke; safe from any thread at any time.
    bool Lost() const { return lost_->load(); }

private:
    struct Remote;
    std::unique_ptr<Remote> remote_;
    std::shared_ptr<std::atomic<bool>> lost_;
};

} // namespace qf::lo
