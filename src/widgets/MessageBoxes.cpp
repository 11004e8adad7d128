#include "widgets/MessageBoxes.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPushButton>

#include <exception>

namespace brellow {

namespace {

MessageBoxHandler& Handler()
{
    static MessageBoxHandler handler;
    return handler;
}

QuestionHandler& Questions()
{
    static QuestionHandler handler;
    return handler;
}

void ShowBox(QMessageBox::Icon icon, const QString& text)
{
    const QString caption = ProgramTitle();
    if (Handler()) {
        Handler()(icon, caption, text);
        return;
    }
    QMessageBox box(icon, caption, text, QMessageBox::Ok);
    box.exec();
}

}  // namespace

QString ProgramTitleOf(const QString& executableFileName)
{
    const QString name = executableFileName.section(QLatin1Char('.'), 0, 0);
    if (name.isEmpty())
        return name;
    return name.left(1) + name.mid(1).toLower();
}

QString ProgramTitle()
{
    return ProgramTitleOf(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
}

QString ErrorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void ShowErrorBox(const QString& message)
{
    ShowBox(QMessageBox::Critical, ErrorBoxText(message));
}

void ShowPlainBox(const QString& text)
{
    ShowBox(QMessageBox::NoIcon, text);
}

bool AskQuestion(const QString& text, const QString& firstButton, const QString& secondButton)
{
    if (Questions())
        return Questions()(text);
    if (Handler()) {
        Handler()(QMessageBox::Warning, ProgramTitle(), text);
        return true;
    }
    QMessageBox box(QMessageBox::Warning, ProgramTitle(), text);
    QPushButton* first = box.addButton(firstButton, QMessageBox::AcceptRole);
    QPushButton* second = box.addButton(secondButton, QMessageBox::RejectRole);
    box.setDefaultButton(second);
    box.setEscapeButton(second);
    box.exec();
    return box.clickedButton() == first;
}

bool ReportErrors(const std::function<void()>& action)
{
    try {
        action();
        return true;
    } catch (const std::exception& error) {
        ShowErrorBox(QString::fromStdString(error.what()));
        return false;
    }
}

void SetMessageBoxHandlerForTesting(MessageBoxHandler handler)
{
    Handler() = std::move(handler);
}

void SetQuestionHandlerForTesting(QuestionHandler handler)
{
    Questions() = std::move(handler);
}

}  // namespace brellow
