#include "ui/Teclado.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QWidget>

namespace kov::ui {

bool DentroDeGradeEditavel(const QWidget* w) {
    for (; w && !w->isWindow(); w = w->parentWidget())
        if (w->property(PropriedadeGradeEditavel).toBool()) return true;
    return false;
}

bool TratarTeclaDaTela(QWidget* tela, QObject* alvo, QEvent* e, const std::function<void()>& fechar,
                       const std::function<void(bool)>& moverFoco, bool enterAcionaBotao) {
    if (e->type() != QEvent::KeyPress) return false;
    auto* w = qobject_cast<QWidget*>(alvo);
    // Só os controles desta janela (não a lista aberta de uma caixa de lista)
    if (!w || w->window() != tela || DentroDeGradeEditavel(w)) return false;
    auto* k = static_cast<QKeyEvent*>(e);
    const auto mods = k->modifiers() & ~Qt::KeypadModifier;
    if (k->key() == Qt::Key_Escape && mods == Qt::NoModifier) {
        fechar();
        return true;
    }
    if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) &&
        (mods == Qt::NoModifier || mods == Qt::ShiftModifier)) {
        if (auto* b = qobject_cast<QAbstractButton*>(w); b && mods == Qt::NoModifier && enterAcionaBotao) {
            b->click();
            return true;
        }
        moverFoco(mods != Qt::ShiftModifier);
        return true;
    }
    return false;
}

}  // namespace kov::ui
