#pragma once
// The help pages shipped with the program (help/ beside it), shown in a window of their own.

class QWidget;
class QString;

namespace kvaril {

enum class THelpTopic { Contents, Oscilloscope };  // the oscilloscope is topic 90

// The file of a topic, or an empty string when the pages are missing.
QString HelpFile(THelpTopic topic);
// Shows the topic in the help window, usable on top of whatever window asked for it.
void ShowHelp(QWidget* parent, THelpTopic topic);
// The help window while it is open (tests).
QWidget* HelpWindow();
// Where the pages are looked for instead of help/ beside the program (tests).
void SetHelpDirectory(const QString& dir);

}  // namespace kvaril
