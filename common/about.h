#pragma once

#include <QDialog>
#include <QString>

// What differs between the two programs' about boxes.
struct AboutInfo
{
    QString caption;     // "О Quivara"
    QString productName; // "Quivara"
    QString description;
    QString iconPath;
    int descriptionTop = 120;
    int descriptionHeight = 57;
    // The editor's link: underlined, with a hand cursor, in the box's own
    // font. Otherwise the runner's: in Tahoma, and in the window-text
    // colour while the mouse is over it.
    bool underlinedLink = false;
    bool escapeCloses = true;
};

// The about box: icon, product name, version, maker, a link to the maker's
// site and a description, closed by its OK button.
class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutBox(const AboutInfo &info, QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showLink(bool underMouse);

    class QLabel *m_link;
    bool m_escapeCloses;
    bool m_underlinedLink;
};
