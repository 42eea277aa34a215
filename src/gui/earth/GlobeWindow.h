#pragma once

#include <QWidget>

namespace orvane {

// The globe's own top-level window. Its map widget fills it; the main window may take the
// map away into its view panel and give it back, so the window lays the map out itself
// whenever a child joins it or it is resized.
class GlobeWindow : public QWidget {
    Q_OBJECT
  public:
    explicit GlobeWindow(const QString& title);

  signals:
    // The user or the program closed the window: the globe stops.
    void Closed();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void childEvent(QChildEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void FillWithChildren();
};

}  // namespace orvane
