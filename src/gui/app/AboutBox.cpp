#include "app/AboutBox.h"

#include <QDesktopServices>
#include <QFrame>
#include <QGridLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/Icons.h"
#include "common/Named.h"
#include "common/ProductInfo.h"

namespace orvane {

MailLinkLabel::MailLinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setObjectName("LinkLabel");
    SetTextColour(Qt::blue);
}

void MailLinkLabel::SetTextColour(const QColor& colour) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, colour);
    setPalette(palette);
}

void MailLinkLabel::enterEvent(QEvent* event) {
    QLabel::enterEvent(event);
    SetTextColour(Qt::magenta);
    setCursor(Qt::PointingHandCursor);
}

void MailLinkLabel::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    SetTextColour(Qt::blue);
    unsetCursor();
}

void MailLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) {
        QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + kMakerMailAddress));
    }
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutBox");
    setWindowTitle(QStringLiteral("关于"));

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    auto* icon = new QLabel(panel);
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    auto* product = new QLabel(kProductTitle, panel);
    QFont productFont = product->font();
    productFont.setBold(true);
    productFont.setPointSize(productFont.pointSize() + 3);
    product->setFont(productFont);
    auto* version = new QLabel(QStringLiteral("版本1.5  (Build 070903)  "), panel);
    auto* maker = new QLabel(QString::fromUtf8(kMakerName), panel);
    LinkLabel = new MailLinkLabel(kMakerWebAddress, panel);

    auto* panelLayout = new QGridLayout(panel);
    panelLayout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    panelLayout->addWidget(product, 0, 1);
    panelLayout->addWidget(version, 1, 1);
    panelLayout->addWidget(maker, 2, 1);
    panelLayout->addWidget(LinkLabel, 3, 1);
    panelLayout->setColumnStretch(1, 1);

    OKButton = Named<QPushButton>("OKButton", QStringLiteral("确定"), this);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addWidget(OKButton, 0, Qt::AlignHCenter);
    setFixedSize(303, 179);
}

}  // namespace orvane
