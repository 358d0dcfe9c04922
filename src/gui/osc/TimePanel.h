#pragma once
// The time panel under the traces: the start on the left, the width (or the measured time) in
// the middle, the end on the right, each clickable, and the entry that opens over them.

#include <QComboBox>
#include <QFrame>
#include <functional>

class QLabel;

namespace kvaril {

class TTimePanel : public QFrame {
    Q_OBJECT
  public:
    explicit TTimePanel(QWidget* parent);

    QLabel* lblTime0;
    QLabel* lblTime1;
    QLabel* lblCaption;  // the panel's own caption
    QComboBox* edTime;
    int EntryMode = 0;  // the tag: 0 start, 1 end, 2 length

    std::function<void(int mode)> OnClick;  // 0 start label, 1 end label, 2 elsewhere
    std::function<void()> OnCommit;         // the entry lost the focus or took Enter
    std::function<void()> OnResize;

    // Opens the entry over the label of `mode` (or in the middle) with `text` and suggestions.
    void OpenEntry(int mode, const QString& text, const QStringList& suggestions);
    bool EntryOpen() const;

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

}  // namespace kvaril
