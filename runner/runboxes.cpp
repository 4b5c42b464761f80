#include "runboxes.h"

#include "anchors.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Names longer than this are not names; the limit keeps the title readable.
constexpr int MaxNameLength = 100;

} // namespace

NameBox::NameBox(const QString &title, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("NameBox"));
    setWindowTitle(title);
    auto *label = new QLabel(QStringLiteral("Фамилия и имя:"), this);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("StudentName"));
    m_name->setMaxLength(MaxNameLength);
    m_name->setMinimumWidth(320);
    label->setBuddy(m_name);
    auto *buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(QStringLiteral("OkButton"));
    m_ok->setDefault(true);
    m_ok->setEnabled(false);
    QPushButton *cancel
            = buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_name, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_ok->setEnabled(!text.trimmed().isEmpty()); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_name);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}

void NameBox::showEvent(QShowEvent *event)
{
    // Centred on the screen, as the program's message boxes are.
    QDialog::showEvent(event);
    centreOnScreen(this);
}

QString NameBox::name() const
{
    return m_name->text().trimmed();
}

ReviewBox::ReviewBox(const QString &text, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ReviewBox"));
    setWindowTitle(QStringLiteral("Просмотр ответов"));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("ReviewText"));
    m_text->setReadOnly(true);
    // Read-only, it still takes the focus, so arrows move through the text
    // and a screen reader reads it line by line.
    m_text->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    m_text->setPlainText(text);
    m_text->setAccessibleName(QStringLiteral("Ответы"));
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *close
            = buttons->addButton(QStringLiteral("Закрыть"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("CloseButton"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(buttons);
    resize(560, 420);
    m_text->setFocus();
}

void ReviewBox::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    centreOnScreen(this);
}
