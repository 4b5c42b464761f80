#pragma once

#include "testrun.h"

#include <QMainWindow>
#include <QTimer>

#include <chrono>

class QAction;
class QFileDialog;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QWidget;
class RadioGroupBox;
class TAboutBox;

// The runner's main window: a start screen with one button, and the question
// view. It shows the state of a TestRun and turns clicks into its actions.
class TMForm : public QMainWindow
{
    Q_OBJECT
public:
    static inline const QString ProgramTitle = QStringLiteral("Quivara " QUIVARA_VERSION);
    // How long a finished test waits for the journal before its result shows.
    static constexpr std::chrono::milliseconds JournalWait{3000};
    static inline const QString SpooledNotice = QStringLiteral(
            "Результат сохранён на этом компьютере и будет передан в журнал позже.");
    // For a result that neither the spool nor the journal kept: the reason,
    // then the figures, for the teacher to write down.
    static QString lostNotice(const QString &reason, const Attempt &attempt);

    // Loads the test named by testPath, if any, before the window is shown;
    // a message from that load is shown first.
    explicit TMForm(const QString &testPath = QString(), QWidget *parent = nullptr);

    const TestRun &run() const { return m_run; }
    // The clock the time limit counts on, for tests to control.
    void setClock(TestRun::Clock clock) { m_run.setClock(std::move(clock)); }
    // The about box, made when first asked for.
    TAboutBox *aboutBox();

private slots:
    void OpenTestButtonClick();
    void RadioGroupClick(int index);
    void NQButtonClick();
    void PQButtonClick();
    void FinishButtonClick();
    void N4Click();
    void N6Click();
    void N8Click();
    void N9Click();

private:
    void createStartScreen();
    void createQuestionView();
    void createMenu();
    QFileDialog *openDialog();
    void applyTabOrder();
    void loadTest(const QString &path);
    void askName();
    void showView(const RunView &view);
    void showTimeLeft(const RunView &view);
    void tick();
    void closeOpenBoxes();
    void endRun(const TestRun::Finish &finish);

    TestRun m_run;
    QString m_lastChosen;

    QWidget *m_client = nullptr;
    QPushButton *OpenTestButton = nullptr;
    QWidget *TestPanel = nullptr;
    QLabel *QIndicator = nullptr;
    QLabel *TimeLabel = nullptr;
    QGroupBox *QBox = nullptr;
    QLabel *QLabel_ = nullptr;
    RadioGroupBox *RadioGroup = nullptr;
    QPushButton *FinishButton = nullptr;
    QPushButton *PQButton = nullptr;
    QPushButton *NQButton = nullptr;
    QAction *N2 = nullptr;
    QFileDialog *OpenDialog1 = nullptr;
    TAboutBox *AboutBox = nullptr;
    // Brings the time left up to date while a timed run is on screen.
    QTimer m_clockTick;
};
