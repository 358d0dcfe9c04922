#pragma once
// The time panel under the traces: the start on the left, the width (or the measured time) in
// the middle, the end on the right, each clickable, and the entry that opens over them. It
// shows what it is given and reports what the user does; the rules are the session's.

#include <QFrame>

#include "document/OscEnums.h"

class QComboBox;
class QLabel;

namespace kvaril {

class TTimePanel : public QFrame {
    Q_OBJECT
  public:
    explicit TTimePanel(QWidget* parent);

    void SetTexts(const QString& t0, const QString& caption, const QString& t1);
    void SetCaption(const QString& caption);
    // Opens the entry over the text of `mode` with `text`; the suggestions are only offered.
    void OpenEntry(TEntryMode mode, const QString& text, const QStringList& suggestions);
    void CloseEntry();
    bool EntryOpen() const;
    QString EntryText() const;

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

  Q_SIGNALS:
    void Clicked(TEntryMode where);
    void EntryEdited(const QString& text);
    // Enter, or the entry lost the focus.
    void EntryDone();
    void Resized();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void Arrange();
    int TextWidth(const QLabel* label) const;

    QLabel* lblTime0_;
    QLabel* lblTime1_;
    QLabel* lblCaption_;
    QComboBox* edTime_;
    TEntryMode entryMode_ = TEntryMode::Start;
};

}  // namespace kvaril
