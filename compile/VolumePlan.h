#pragma once

#include "compile/CompileBook.h"

namespace qf {

// Cuts the book into volumes under limit, writes each whole, then puts all in place at once, and
// only then removes the earlier set's other volumes.
void CompileVolumes(const CompileRequest &request, const QStringList &paths,
                    const VolumeLimit &limit, JobObserver &observer, CompileResult &result);
// The same, each volume measured, not written.
void MeasureVolumes(const CompileRequest &request, const QStringList &paths,
                    const VolumeLimit &limit, BookPlan &plan);
// Removes what an earlier run left of this book under other names: its volumes, or the single
// book when there are volumes now.
void RemoveStaleVolumes(const CompileRequest &request, const QStringList &kept);

} // namespace qf
