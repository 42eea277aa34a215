#pragma once

// The workbook of a table window as its file stands when a conversion starts. A window reads
// its workbook when the user opens it; a file changed on disk since then (its size or its
// modification time) is read again before converting, so the KML holds what the file holds
// now.

#include <QDateTime>
#include <QStringList>
#include <vector>

class QComboBox;

namespace orvane {

class WorksheetSource;

class FreshWorkbook {
  public:
    // Notes the state of the file just read into `source`.
    void Read(const WorksheetSource& source);
    // Reads the workbook of `source` again when its file changed, and makes the same sheet
    // current. Each choice keeps its column: by its entry, or by its header when the column
    // moved. Returns what is gone (the sheet's name, or the texts of the choices whose
    // header the sheet no longer holds); nothing is changed in the choices then. Throws
    // "Cannot open file %s" when the file is gone.
    QStringList Refresh(WorksheetSource& source, const std::vector<QComboBox*>& choices);

  private:
    qint64 size_ = -1;
    QDateTime modified_;
};

// The message for a refresh that found chosen columns gone.
QString ColumnsGoneMessage(const QStringList& gone);

}  // namespace orvane
