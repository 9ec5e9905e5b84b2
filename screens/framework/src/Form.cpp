#include "quandrelle/screens/framework/Form.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QDialog>
#include <QWindow>

#include "quandrelle/screens/dialogs/Failure.h"
#include "quandrelle/screens/framework/FormNames.h"

namespace quandrelle {

Form::Form(ScreenContext& context, const QString& caption, QWidget* parent)
    : QWidget(parent, Qt::Window), m_context(context), m_fields(*this, context.messenger) {
    setWindowTitle(caption);
    setAccessibleName(caption);
}

NumericLineEdit* Form::addField(FieldRow row, const QString& accessibleName) {
    NumericLineEdit* field = row.field;
    field->setAccessibleName(accessibleName);
    m_fields.add(std::move(row));
    return field;
}

void Form::guarded(const std::function<void()>& step) {
    try {
        step();
    } catch (const std::exception& failure) {
        reportFailure(m_context.messenger, failure);
    }
}

void Form::onCommand(QAbstractButton* button, std::function<void()> handler) {
    connect(button, &QAbstractButton::clicked, this, [this, handler = std::move(handler)] {
        if (m_fields.mayLeaveFocus()) {
            guarded(handler);
        }
    });
}

void Form::ShowIncompleteDialog() {
    hide();
    auto& dialog = forms().form<QDialog>(forms::kExitDialog);
    m_context.dialogs.runModal(dialog);
    if (!m_context.program.isEnding()) {
        show();
        activateWindow();
    }
}

bool Form::focusNextPrevChild(bool next) {
    if (!m_fields.mayLeaveFocus()) {
        return true;
    }
    return QWidget::focusNextPrevChild(next);
}

void Form::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    m_fields.watchWindow(windowHandle());
}

void Form::closeEvent(QCloseEvent* event) {
    // The screens are hidden and shown, never closed: a close through the frame becomes the
    // screen's own command, once the focused field has accepted its entry.
    event->ignore();
    if (m_fields.mayLeaveFocus()) {
        guarded([this] { closeRequested(); });
    }
}

QString rowAccessibleName(const QString& label, int row) {
    return label + ' ' + QString::number(row);
}

}  // namespace quandrelle
