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
    bool underlinedLink = false; // with a hand cursor
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

private:
    bool m_escapeCloses;
};
