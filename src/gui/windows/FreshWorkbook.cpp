#include "windows/FreshWorkbook.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <optional>
#include <string>

#include "common/Dialogs.h"
#include "common/Errors.h"
#include "common/WaitCursor.h"
#include "windows/WindowParts.h"
#include "workbooks/WorksheetSource.h"

namespace orvane {

namespace {

QFileInfo FileOf(const WorksheetSource& source) {
    QFileInfo file(QFile::decodeName(source.path().c_str()));
    file.setCaching(false);
    return file;
}

// The header part of a column entry: "B:经度" holds "经度".
std::string HeaderOf(const std::string& entry) {
    const size_t colon = entry.find(':');
    return colon == std::string::npos ? entry : entry.substr(colon + 1);
}

// The entry of the current sheet that takes the place of `entry`: the same, or the one
// column with the same header.
std::optional<std::string> EntryNow(const std::vector<std::string>& entries,
                                    const std::string& entry) {
    if (std::find(entries.begin(), entries.end(), entry) != entries.end()) {
        return entry;
    }
    const std::string header = HeaderOf(entry);
    std::optional<std::string> found;
    for (const std::string& candidate : entries) {
        if (HeaderOf(candidate) == header) {
            if (found) {
                return std::nullopt;  // two columns of that header: none is the one chosen
            }
            found = candidate;
        }
    }
    return found;
}

void Show(QComboBox& choice, const std::string& entry) {
    choice.clear();
    choice.addItem(QString::fromStdString(entry));
    choice.setCurrentIndex(0);
}

}  // namespace

void FreshWorkbook::Read(const WorksheetSource& source) {
    const QFileInfo file = FileOf(source);
    size_ = file.size();
    modified_ = file.lastModified();
}

QStringList FreshWorkbook::Refresh(WorksheetSource& source,
                                   const std::vector<QComboBox*>& choices) {
    const QFileInfo file = FileOf(source);
    if (!file.exists()) {
        throw CannotOpenFileError(source.path());
    }
    if (file.size() == size_ && file.lastModified() == modified_) {
        return {};
    }
    const std::string sheet = source.sheetNames().at(static_cast<size_t>(source.currentSheet()));
    WorksheetSource fresh;
    fresh.OpenWorkbook(source.path());
    const auto& names = fresh.sheetNames();
    const auto sheetAt = std::find(names.begin(), names.end(), sheet);
    if (sheetAt == names.end()) {
        return {QString::fromStdString(sheet)};
    }
    fresh.SelectSheet(static_cast<std::int32_t>(sheetAt - names.begin()));

    QStringList gone;
    std::vector<std::optional<std::string>> kept;
    for (const QComboBox* choice : choices) {
        const std::string entry = choice->currentText().toStdString();
        kept.push_back(entry.empty() ? std::nullopt : EntryNow(fresh.columnEntries(), entry));
        if (!entry.empty() && !kept.back()) {
            gone << choice->currentText();
        }
    }
    if (!gone.isEmpty()) {
        return gone;
    }
    source = std::move(fresh);
    Read(source);
    for (size_t i = 0; i < choices.size(); ++i) {
        if (kept[i]) {
            Show(*choices[i], *kept[i]);
        }
    }
    return {};
}

QString ColumnsGoneMessage(const QStringList& gone) {
    return QStringLiteral("表格文件在打开后已被修改，其中已没有所选的：%1。未生成KML文件。")
        .arg(gone.join(QStringLiteral("、")));
}

bool FreshWorkbook::ReadyToConvert(QWidget* window, Dialogs& dialogs, WorksheetSource& source,
                                   bool opened, const std::vector<QComboBox*>& choices,
                                   size_t required, QComboBox& sheets) {
    if (!opened) {
        dialogs.Message(window, QStringLiteral("请打开要导入的Excel文件!"));
        return false;
    }
    {
        const WaitCursor wait;
        if (const QStringList gone = Refresh(source, choices); !gone.isEmpty()) {
            dialogs.Message(window, ColumnsGoneMessage(gone));
            return false;
        }
    }
    ShowSheetNames(sheets, source);
    // A choice showing an entry the current sheet lacks binds no column, like an empty one.
    for (size_t i = 0; i < required; ++i) {
        if (source.ColumnOf(choices[i]->currentText().toStdString()) == 0) {
            dialogs.Message(window, QStringLiteral("请选择导入时必需的对应列和字段!"));
            return false;
        }
    }
    return true;
}

}  // namespace orvane
