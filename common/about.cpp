#include "about.h"

#include "anchors.h"
#include "appearance.h"
#include "version.h"
#include "weblinks.h"
#include "widgets.h"

#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {

// The box's plain labels are dark grey.
QLabel *label(QWidget *parent, const QString &text, int x, int y, const char *name)
{
    QLabel *l = Widgets::label(parent, text, name, {x, y});
    useTextColour(l);
    l->adjustSize();
    return l;
}

} // namespace

TAboutBox::TAboutBox(const AboutInfo &info, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , m_escapeCloses(info.escapeCloses)
    , m_underlinedLink(info.underlinedLink)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(info.caption);
    setFixedSize(298, 229);
    const QFont base = interfaceFont(11);
    setFont(base);

    // Two bevels: the outer one lowered, the inner one raised.
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setGeometry(8, 8, 281, 183);
    auto *innerBevel = new QFrame(panel);
    innerBevel->setObjectName(QStringLiteral("InnerBevel"));
    innerBevel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    innerBevel->setLineWidth(1);
    innerBevel->setGeometry(1, 1, 279, 181);

    auto *icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setPixmap(QIcon(info.iconPath).pixmap(32, 32));
    icon->setGeometry(27, 16, 32, 32);
    icon->setAccessibleName(info.productName);

    QLabel *product = label(panel, info.productName, 88, 16, "ProductName");
    QFont bold = base;
    bold.setBold(true);
    bold.setPixelSize(13);
    product->setFont(bold);
    product->adjustSize();
    label(panel, QStringLiteral(QUIVARA_VERSION), 88, 40, "Version");
    label(panel, QStringLiteral("© Команда Quivara, 2026"), 8, 69, "Copyright");

    m_link = new QLabel(panel);
    QLabel *link = m_link;
    link->setObjectName(QStringLiteral("WebSite"));
    link->setTextFormat(Qt::RichText);
    if (!info.underlinedLink) {
        QFont linkFont(QStringLiteral("Tahoma"));
        linkFont.setPixelSize(11);
        link->setFont(linkFont);
    }
    showLink(false);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    link->setCursor(info.underlinedLink ? Qt::PointingHandCursor : Qt::ArrowCursor);
    link->setAccessibleName(WebLinks::MakerSite);
    link->move(8, 91);
    link->adjustSize();
    link->installEventFilter(this);
    connect(link, &QLabel::linkActivated, this, [] { WebLinks::open(WebLinks::MakerSite); });

    QLabel *description = label(panel, info.description, 8, info.descriptionTop, "Comments");
    description->setWordWrap(true);
    description->setGeometry(8, info.descriptionTop, 264, info.descriptionHeight);
    description->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setGeometry(109, 197, 75, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::showLink(bool underMouse)
{
    const QString colour = underMouse && !m_underlinedLink
            ? palette().color(QPalette::WindowText).name()
            : QStringLiteral("#0000ff");
    const QString decoration
            = m_underlinedLink ? QStringLiteral("underline") : QStringLiteral("none");
    m_link->setText(QStringLiteral("<a href=\"%1\" style=\"color:%2; text-decoration:%3;\">%1</a>")
                            .arg(WebLinks::MakerSite, colour, decoration));
}

bool TAboutBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_link && (event->type() == QEvent::Enter || event->type() == QEvent::Leave))
        showLink(event->type() == QEvent::Enter);
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    centreOnScreen(this); // on the screen, not on the main window
}

void TAboutBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && !m_escapeCloses) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
