#pragma once

#include <QLabel>

namespace quandrelle {

// A label that shows a value (a result, a chosen name). Assistive technology reads its caption
// followed by the value shown, so that the value is never hidden behind the caption, and the name
// follows every value the screen shows.
class ValueLabel : public QLabel {
    Q_OBJECT
public:
    ValueLabel(const QString& caption, QWidget* parent);

    void setValue(const QString& value);
    void clearValue() { setValue(QString()); }

private:
    QString m_caption;
};

}  // namespace quandrelle
