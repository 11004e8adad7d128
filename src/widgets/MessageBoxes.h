#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

namespace brellow {

// The program's title: the executable's file name up to its first dot, its first letter
// unchanged and the rest in lower case.
QString ProgramTitleOf(const QString& executableFileName);
QString ProgramTitle();

// An error's text as the error box shows it: a full stop is appended when the last
// character sorts above ".".
QString ErrorBoxText(const QString& message);

// The standard error box: the error's text, the program's title, the error icon, one OK.
void ShowErrorBox(const QString& message);

// A modal box with no icon and one OK button, captioned with the program's title.
void ShowPlainBox(const QString& text);

// A modal question with the warning icon, captioned with the program's title, and two
// buttons; answers true for the first one, false for the second (the default) or Esc.
bool AskQuestion(const QString& text, const QString& firstButton, const QString& secondButton);

// Runs an action of an event handler; an error that leaves it is shown in the standard
// error box and the program goes on. Answers false when the action raised.
bool ReportErrors(const std::function<void()>& action);

// Tests replace every box so nothing blocks; an empty handler restores the real boxes.
// A question goes to the question handler, or else to the box handler and is answered
// with the first button.
using MessageBoxHandler = std::function<void(QMessageBox::Icon icon, const QString& caption, const QString& text)>;
void SetMessageBoxHandlerForTesting(MessageBoxHandler handler);
using QuestionHandler = std::function<bool(const QString& text)>;
void SetQuestionHandlerForTesting(QuestionHandler handler);

}  // namespace brellow
