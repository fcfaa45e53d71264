#include "batch/BatchReport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace qf {
namespace {

// Scripts may run in another folder than the one the paths were given from.
QString Absolute(const QString &path)
{
    return path.isEmpty() ? path : QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

QJsonValue PathOrNull(const QString &path)
{
    return path.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(Absolute(path));
}

QJsonArray Paths(const QStringList &paths)
{
    QJsonArray array;
    for (const QString &path : paths)
        array.append(Absolute(path));
    return array;
}

} // namespace

void BatchReport::Add(const Problems &found)
{
    for (const Status &problem : found.list())
        problems.append({problem.file(), problem.reason()});
}

void BatchReport::AddNotes(const Problems &notes)
{
    for (const Status &note : notes.list())
        problems.append({note.file(), note.reason(), false, true});
}

void BatchReport::Add(const QList<Notice> &notices)
{
    for (const Notice &notice : notices)
        problems.append({notice.file, notice.text, notice.icon != Notice::Icon::Critical});
}

QByteArray ReportAsJson(const BatchReport &report, bool compact)
{
    QJsonObject root;
    if (report.book) {
        QJsonObject book{{QStringLiteral("pages"), report.book->pages},
                         {QStringLiteral("bytes"), report.book->bytes >= 0
                                                       ? QJsonValue(report.book->bytes)
                                                       : QJsonValue(QJsonValue::Null)}};
        book[QStringLiteral("scaledPages")] = report.book->scaledPages;
        book[QStringLiteral("shrunkPages")] = report.book->shrunkPages;
        if (report.book->volumes > 0)
            book[QStringLiteral("volumes")] = report.book->volumes;
        else
            book[QStringLiteral("path")] = Absolute(report.book->path);
        root[QStringLiteral("book")] = book;
    } else {
        root[QStringLiteral("book")] = QJsonValue(QJsonValue::Null);
    }
    QJsonArray volumes;
    for (const BatchReport::Volume &volume : report.volumes)
        volumes.append(QJsonObject{
            {QStringLiteral("path"), Absolute(volume.path)},
            {QStringLiteral("pages"), volume.pages},
            {QStringLiteral("bytes"),
             volume.bytes >= 0 ? QJsonValue(volume.bytes) : QJsonValue(QJsonValue::Null)},
            {QStringLiteral("first_page"), volume.firstPage + 1},
            {QStringLiteral("documents"), QJsonArray::fromStringList(volume.documents)}});
    root[QStringLiteral("volumes")] = volumes;
    root[QStringLiteral("index")] =
        report.index ? QJsonValue(QJsonObject{
                           {QStringLiteral("pages"), report.index->pages},
                           {QStringLiteral("blank_sheet_after"), report.index->blankSheetAfter}})
                     : QJsonValue(QJsonValue::Null);
    QJsonArray documents;
    for (const PlacedDocument &doc : report.documents) {
        QJsonObject document{{QStringLiteral("file"), doc.name},
                             {QStringLiteral("title"), doc.title},
                             {QStringLiteral("start_page"), doc.startPage + 1},
                             {QStringLiteral("pages"), doc.pages},
                             {QStringLiteral("blank_sheet_after"), doc.blankAfter}};
        if (!doc.startNumber.isEmpty())
            document[QStringLiteral("start_number")] = doc.startNumber;
        if (!doc.missing)
            document[QStringLiteral("missing")] = true;
        documents.append(document);
    }
    root[QStringLiteral("documents")] = documents;
    QJsonArray recognised;
    for (const RecognisedDocument &doc : report.recognised) {
        QJsonArray withText, withoutText;
        for (int page : doc.withText)
            withText.append(page);
        for (int page : doc.withoutText)
            withoutText.append(page);
        recognised.append(QJsonObject{{QStringLiteral("file"), doc.name},
                                      {QStringLiteral("pages"), doc.pages},
                                      {QStringLiteral("pagesWithText"), withText},
                                      {QStringLiteral("pagesWithoutText"), withoutText}});
    }
    root[QStringLiteral("recognised")] = recognised;
    QJsonArray changes;
    for (const BookChange &change : report.changes)
        changes.append(QJsonObject{{QStringLiteral("file"), Absolute(change.file)},
                                   {QStringLiteral("change"), change.change}});
    root[QStringLiteral("changes")] = changes;
    QJsonArray converted;
    for (const ConvertedDocument &doc : report.converted)
        converted.append(QJsonObject{{QStringLiteral("document"), Absolute(doc.document)},
                                     {QStringLiteral("pdf"), Absolute(doc.pdf)}});
    root[QStringLiteral("converted")] = converted;
    root[QStringLiteral("up_to_date")] = Paths(report.upToDate);
    root[QStringLiteral("deleted")] = Paths(report.deleted);
    root[QStringLiteral("trashed")] = Paths(report.trashed);
    if (report.findings) {
        QJsonArray findings;
        for (const FilingFinding &finding : *report.findings)
            findings.append(QJsonObject{
                {QStringLiteral("file"), Absolute(finding.file)},
                {QStringLiteral("page"),
                 finding.page > 0 ? QJsonValue(finding.page) : QJsonValue(QJsonValue::Null)},
                {QStringLiteral("kind"), KindName(finding.kind)},
                {QStringLiteral("detail"), finding.detail}});
        root[QStringLiteral("findings")] = findings;
    }
    if (report.toConvert) {
        QJsonArray toConvert;
        for (const BatchReport::DocumentToConvert &doc : *report.toConvert)
            toConvert.append(QJsonObject{{QStringLiteral("document"), Absolute(doc.document)},
                                         {QStringLiteral("pdf"), doc.pdfState}});
        root[QStringLiteral("to_convert")] = toConvert;
    }
    QJsonArray problems;
    for (const BatchReport::Problem &problem : report.problems)
        problems.append(
            QJsonObject{{QStringLiteral("file"), PathOrNull(problem.file)},
                        {QStringLiteral("severity"), problem.note      ? QStringLiteral("note")
                                                     : problem.warning ? QStringLiteral("warning")
                                                                       : QStringLiteral("error")},
                        {QStringLiteral("reason"), problem.reason}});
    root[QStringLiteral("problems")] = problems;
    root[QStringLiteral("exit_status")] = report.exitStatus;
    return QJsonDocument(root).toJson(compact ? QJsonDocument::Compact : QJsonDocument::Indented);
}

} // namespace qf
