#pragma once

#include <QList>
#include <QString>

namespace qf {

// The outcome of a step that touches a file: on failure, which file and why, in words a user
// can act on. Carried up to the one place that shows it.
class Status {
public:
    static Status Ok() { return Status(); }
    static Status Failed(const QString &file, const QString &reason)
    {
        Status s;
        s.failed_ = true;
        s.file_ = file;
        s.reason_ = reason;
        return s;
    }

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const QString &file() const { return file_; }
    const QString &reason() const { return reason_; }
    // "FILE: REASON", or the reason alone when no file is concerned.
    QString message() const;

private:
    bool failed_ = false;
    QString file_;
    QString reason_;
};

// Non-fatal problems of one action, collected so they can be shown once at its end.
class Problems {
public:
    void add(const Status &status)
    {
        if (!status.ok())
            list_.append(status);
    }
    void merge(const Problems &other) { list_.append(other.list_); }
    bool empty() const { return list_.isEmpty(); }
    const QList<Status> &list() const { return list_; }
    // One message naming every file and its reason, headed by what was being done.
    QString report(const QString &heading) const;

private:
    QList<Status> list_;
};

// The reason text for the current errno, e.g. "Permission denied".
QString SystemReason(int errorNumber);

} // namespace qf
