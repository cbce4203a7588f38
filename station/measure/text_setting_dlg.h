// CTextsetting: the text of a Text shape with its font and colour, and a preview of both.
// The font button stores the text font and colour at once.
#pragma once

#include "measure/drawing_styles.h"

#include <QDialog>

class QPlainTextEdit;

namespace quelmar::station {

class CTextsetting : public QDialog {
    Q_OBJECT
public:
    using Context = StyleDialogContext;

    explicit CTextsetting(Context context, QWidget *parent = nullptr);

    QString text() const;
    QPlainTextEdit *textEdit() const { return text_; }
    void chooseFont();

private:
    Context c_;
    QPlainTextEdit *text_ = nullptr;
    QWidget *preview_ = nullptr;
};

// The text font as the Text button reads it: "logfont.ini", or the default text font.
LogFont readTextFont(const QString &textFontFile);

} // namespace quelmar::station
