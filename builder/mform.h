#pragma once

#include "editorsession.h"

#include <QFileDialog>
#include <QMainWindow>
#include <QMessageBox>

#include <optional>

class QAction;
class QCheckBox;
class QComboBox;
class QSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QuestionList;
class FileSafeMemo;
class TAboutBox;
class JournalWindow;

// The editor's main window: a settings page, a questions page and a page of
// how the test is taken, over the test open in the editor. Questions live in an EditorDocument that
// every keystroke updates; the settings live in the page's widgets.
class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    static inline const QString ProgramTitle = QStringLiteral("Quivara Builder " QUIVARA_VERSION);

    // Loads the test named by testPath, if any, before the window is shown;
    // a message from that load is shown first.
    explicit TForm1(const QString &testPath = QString(), QWidget *parent = nullptr);

    const EditorDocument &document() const { return m_session.document(); }
    QString fileName() const { return m_session.fileName(); }
    // True when the test differs from what was last loaded or saved.
    bool isModified() const { return m_session.isModified(); }
    // The about box, made when first asked for.
    TAboutBox *aboutBox();

public slots:
    void bringToFront();
    // Shows the teacher's view of the journal, made when first asked for.
    void openJournal();

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void QAddButtonClick();
    void QDelButtonClick();
    void QLabelChange();
    void AnsListChange();
    void QlistClick();
    void SettingsChange();
    void RunOptionsChange();
    void KeepOrderClick(bool keep);
    void N7Click();
    void N2Click();
    void N3Click();
    void N4Click();
    void N13Click();
    void N12Click();
    void N10Click();
    void ImportClick();
    void ExportClick();
    void PrintClick();
    void PdfClick();

private:
    void createMenu();
    void createSettingsPage();
    void createQuestionsPage();
    void createRunPage();
    QFileDialog *openDialog();
    QFileDialog *saveDialog();
    QFileDialog *interchangeDialog(QFileDialog *&dialog, const char *name,
                                   QFileDialog::AcceptMode mode);

    void SelectQuestion(int index);
    void ClearSelection();
    void RefreshListItem(int index);
    void RebuildQuestionList();
    int selectedRow() const;
    void selectRow(int row);

    bool LoadTestFile(const QString &path);
    // Shows the test the session now holds on the pages.
    void showTest();
    // A message, with the lines of a report below it when there are any.
    void showReport(QMessageBox::Icon icon, const QString &message, const Report &report);
    // The small dialog before printing: whether the key goes with the test;
    // nothing when it was cancelled.
    std::optional<bool> askForKey(const QString &title);
    bool SaveTestFile(const QString &path);
    // Asks whether to write back the old contents a cut-short save kept.
    void offerRecoveryCopy(const QString &path);
    TestSettings shownSettings() const;
    void showSettings(const TestSettings &settings);
    void showRunOptions(const RunOptions &options);
    bool saveChangesIfWanted();

    EditorSession m_session;
    bool Updating = false;
    QString m_lastOpened;
    QString m_lastSaved;
    QString m_lastImported;
    QString m_lastExported;
    QString m_lastPdf;

    QTabWidget *Pages = nullptr;
    QLineEdit *TestName = nullptr;
    QLineEdit *Author = nullptr;
    QLineEdit *MessageOnComplete = nullptr;
    QCheckBox *AllowFinish = nullptr;
    QCheckBox *ShowResult = nullptr;
    QCheckBox *DisableOpenTest = nullptr;
    QCheckBox *ExitOnComplete = nullptr;
    QCheckBox *ShuffleQuestions = nullptr;
    QCheckBox *ShuffleAnswers = nullptr;
    QSpinBox *TimeLimit = nullptr;
    QCheckBox *AskName = nullptr;
    QCheckBox *Grades = nullptr;
    QSpinBox *Grade5 = nullptr;
    QSpinBox *Grade4 = nullptr;
    QSpinBox *Grade3 = nullptr;
    QLabel *GradeError = nullptr;
    QComboBox *Review = nullptr;
    QCheckBox *KeepOrder = nullptr;
    QuestionList *Qlist = nullptr;
    FileSafeMemo *QLabel_ = nullptr;
    FileSafeMemo *AnsList = nullptr;
    QPushButton *QAddButton = nullptr;
    QPushButton *QDelButton = nullptr;
    QAction *N3 = nullptr;
    QAction *N4 = nullptr;
    QAction *ExportItem = nullptr;
    QAction *PrintItem = nullptr;
    QAction *PdfItem = nullptr;
    QFileDialog *OpenDialog1 = nullptr;
    QFileDialog *SaveDialog1 = nullptr;
    QFileDialog *ImportDialog = nullptr;
    QFileDialog *ExportDialog = nullptr;
    QFileDialog *PdfDialog = nullptr;
    TAboutBox *AboutBox = nullptr;
    JournalWindow *JournalView = nullptr;
};
