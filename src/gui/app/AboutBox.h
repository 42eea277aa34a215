#pragma once

#include <QDialog>
#include <QLabel>

class QPushButton;

namespace orvane {

// A label that reads as a link: magenta under the mouse with a hand pointer, blue
// otherwise; a click asks the desktop to start a mail to the maker.
class MailLinkLabel : public QLabel {
    Q_OBJECT
  public:
    MailLinkLabel(const QString& text, QWidget* parent);

  protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void SetTextColour(const QColor& colour);
};

class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutBox(QWidget* parent);

  private:
    MailLinkLabel* LinkLabel;
    QPushButton* OKButton;
};

}  // namespace orvane
