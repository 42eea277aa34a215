#pragma once

// The scheme-name dialog of the colour configuration file. One instance serves the legend
// panels of both windows, so the name box and the list keep what the last use left.

#include <QDialog>
#include <QString>
#include <vector>

#include "legend/Colcfg.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace orvane {

class Dialogs;

class TFrmColorCfg : public QDialog {
    Q_OBJECT

  public:
    enum class Mode { Load = 0, Save = 1 };

    TFrmColorCfg(QString colourFilePath, Dialogs& dialogs, QWidget* parent = nullptr);

    void SetMode(Mode mode) { mode_ = mode; }
    Mode mode() const { return mode_; }
    QString SchemeName() const;
    const QString& colourFilePath() const { return path_; }

    // "装入色彩配置文件": asks for a name and loads that scheme into the grading rows.
    // True when a scheme was loaded; errors are shown in the error box.
    bool N1Click(QWidget* owner, std::vector<LegendEntry>& rows);
    // "保存色彩配置文件": asks for a name (the theme field's by default) and stores the
    // grading rows under it; "保存完毕!" when done.
    bool N2Click(QWidget* owner, const QString& themeName, const std::vector<LegendEntry>& rows,
                 SchemeLayout layout);

    int exec() override;

  private slots:
    void ListBox1Click(QListWidgetItem* item);
    void Button1Click();

  private:
    bool FileExists() const;
    // Fills the list from the file; false (error shown) when the file cannot be read.
    bool FillList(QWidget* owner);
    bool ShowCentredOn(QWidget* owner);

    QString path_;
    Dialogs& dialogs_;
    Mode mode_ = Mode::Load;
    QLabel* Label1;
    QLineEdit* EdtColorName;
    QLabel* Label2;
    QListWidget* ListBox1;
    QPushButton* Button1;
    QPushButton* Button2;
};

}  // namespace orvane
