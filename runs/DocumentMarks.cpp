#include "runs/DocumentMarks.h"

#include "convert/PdfState.h"

namespace qf {

void MarkOutOfDateDocuments(const QString &folder, TickList &documents)
{
    QStringList names;
    for (int i = 0; i < documents.Count(); ++i)
        names.append(documents.Name(i));
    const QList<PdfState> states = PdfStatesOf(folder, names);
    for (int i = 0; i < documents.Count(); ++i)
        documents.SetMark(i, PdfStateMark(states.at(i)));
}

} // namespace qf
