#pragma once
// The help pages shipped with the program (help/ beside it), shown in a window of their own.

class QWidget;
class QString;

namespace kvaril {

enum class THelpTopic { Contents, Oscilloscope };  // the oscilloscope is topic 90

// The file of a topic, or an empty string when the pages are missing.
QString HelpFile(THelpTopic topic);
void ShowHelp(QWidget* parent, THelpTopic topic);

}  // namespace kvaril
