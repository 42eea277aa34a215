#pragma once

// "统计图": the histogram of a theme field's values with its cumulative curve, each bar
// stacked in the colours of the legend entries its values fall into. Painted with QPainter
// from plain figures, so that it draws the same on screen, into a PNG file and offscreen.

#include <QColor>
#include <QDialog>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <utility>
#include <vector>

namespace orvane {

class Dialogs;

struct ThemeChartBar {
    QString label;  // a class, or the left bound of a range
    // The bar's parts from the bottom up: the colour of a legend entry and its count.
    std::vector<std::pair<QColor, std::int64_t>> parts;

    std::int64_t Total() const;
};

struct ThemeChartData {
    QString title;
    std::vector<ThemeChartBar> bars;
    // Set for ranges of values: each label stands at its bar's left edge and this one at the
    // right end; otherwise each label stands under its bar.
    QString endLabel;
};

// Where bar `bar` stands in a chart of `size` pixels, as high as its total.
QRectF ThemeChartBarRect(const ThemeChartData& data, QSize size, size_t bar);

class ThemeChart : public QWidget {
    Q_OBJECT
  public:
    explicit ThemeChart(QWidget* parent = nullptr);

    void SetData(ThemeChartData data);
    const ThemeChartData& Data() const { return data_; }
    // The chart drawn on a white image of `size` pixels.
    QImage Picture(QSize size) const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    ThemeChartData data_;
};

// The chart in a window of its own, with "导出PNG" saving it as it is shown.
class ThemeChartDialog : public QDialog {
    Q_OBJECT
  public:
    ThemeChartDialog(Dialogs& dialogs, QWidget* parent);

    void Show(ThemeChartData data);
    // Asks for a PNG path and writes the chart there, 800 x 480 pixels whatever the window
    // shows; "Cannot create file %s" when it cannot.
    void ExportPng();

  private:
    Dialogs& dialogs_;
    ThemeChart* chart_;
};

}  // namespace orvane
