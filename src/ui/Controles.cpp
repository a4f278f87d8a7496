#include "ui/Controles.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QRadioButton>
#include <QWheelEvent>

namespace kov::ui {

GrupoOpcoes::GrupoOpcoes(const QString& titulo, QWidget* pai) : QGroupBox(titulo, pai) {
    grupo_ = new QButtonGroup(this);
    grupo_->setExclusive(true);
    auto* lay = new QHBoxLayout(this);
    lay->setContentsMargins(10, 4, 10, 4);
    lay->setSpacing(18);
    lay->addStretch(1);
    connect(grupo_, &QButtonGroup::buttonClicked, this, [this](QAbstractButton* b) {
        const int i = grupo_->id(b);
        if (i >= 0 && i < valores_.size()) emit escolhida(valores_[i]);
    });
}

QRadioButton* GrupoOpcoes::adicionar(const QString& texto, const QString& valor) {
    auto* b = new QRadioButton(texto, this);
    grupo_->addButton(b, static_cast<int>(valores_.size()));
    valores_.push_back(valor);
    auto* lay = static_cast<QHBoxLayout*>(layout());
    lay->insertWidget(lay->count() - 1, b);
    return b;
}

QString GrupoOpcoes::valor() const {
    const int i = grupo_->checkedId();
    return i >= 0 && i < valores_.size() ? valores_[i] : QString();
}

void GrupoOpcoes::definirValor(const QString& valor) {
    const int i = static_cast<int>(valores_.indexOf(valor));
    if (i == grupo_->checkedId()) return;
    if (i >= 0) {
        grupo_->button(i)->setChecked(true);
        return;
    }
    // Nenhuma marcada: o grupo exclusivo não deixa desmarcar a última
    grupo_->setExclusive(false);
    for (QAbstractButton* b : grupo_->buttons()) b->setChecked(false);
    grupo_->setExclusive(true);
}

QList<QRadioButton*> GrupoOpcoes::botoes() const {
    QList<QRadioButton*> v;
    for (QAbstractButton* b : grupo_->buttons()) v.push_back(static_cast<QRadioButton*>(b));
    return v;
}

QRadioButton* GrupoOpcoes::botao(const QString& valor) const {
    const int i = static_cast<int>(valores_.indexOf(valor));
    return i >= 0 ? static_cast<QRadioButton*>(grupo_->button(i)) : nullptr;
}

ListaConsulta::ListaConsulta(QWidget* pai) : QComboBox(pai) { setEditable(false); }

void ListaConsulta::showPopup() {
    emit abrindo();
    QComboBox::showPopup();
}

void ListaConsulta::hidePopup() {
    QComboBox::hidePopup();
    emit fechada();
}

void ListaConsulta::keyPressEvent(QKeyEvent* e) {
    if (!soPelaLista_) {
        QComboBox::keyPressEvent(e);
        return;
    }
    const auto mods = e->modifiers() & ~Qt::KeypadModifier;
    const bool abre = e->key() == Qt::Key_F4 || e->key() == Qt::Key_Space ||
                      ((e->key() == Qt::Key_Down || e->key() == Qt::Key_Up) && mods == Qt::AltModifier);
    if (abre) {
        showPopup();
        return;
    }
    // Tab, Enter e Esc seguem para a tela; o resto não muda a escolha
    e->ignore();
}

void ListaConsulta::wheelEvent(QWheelEvent* e) {
    if (soPelaLista_) e->ignore();
    else QComboBox::wheelEvent(e);
}

}  // namespace kov::ui
