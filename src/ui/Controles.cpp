#include "ui/Controles.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QRadioButton>
#include <QWheelEvent>

#include "data/Dinheiro.h"

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

// --- Campo de figura ---------------------------------------------------------------------------

namespace {

// Texto de edição: o inteiro sem separador; com centavos, com a vírgula decimal.
QString textoEdicao(const fb::Valor& v) {
    if (v.nulo()) return {};
    const Dinheiro d = v.dinheiro();
    if (d.centavos() % 100 == 0) return QString::number(d.centavos() / 100);
    return QString::fromStdString(d.textoDecimal());
}

QString textoExibicao(const fb::Valor& v) {
    return v.nulo() ? QString() : QString::fromStdString(v.dinheiro().formatado());
}

}  // namespace

CampoValor::CampoValor(QWidget* pai) : QLineEdit(pai) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Ligado antes da tela: quem grava o campo já lê o "0" de um campo esvaziado
    connect(this, &QLineEdit::textEdited, this, [this](const QString& t) {
        if (!t.isEmpty()) return;
        setText(QStringLiteral("0"));
        selectAll();
    });
}

void CampoValor::trocarTexto(const QString& t) {
    if (text() == t) return;
    setText(t);
    if (!hasFocus()) setCursorPosition(0);
}

void CampoValor::mostrarValor(const fb::Valor& v) {
    valor_ = v;
    trocarTexto(hasFocus() && !isReadOnly() ? textoEdicao(v) : textoExibicao(v));
}

void CampoValor::keyPressEvent(QKeyEvent* e) {
    const QString t = e->text();
    const bool caractere = t.size() == 1 && t[0].isPrint();
    if (caractere && !t[0].isDigit() && !(sinal_ && t[0] == QLatin1Char('-'))) {
        e->accept();
        return;
    }
    // NUMERIC(15,2): no máximo 13 algarismos inteiros
    if (caractere && t[0].isDigit()) {
        QString depois = text();
        if (hasSelectedText()) depois.remove(selectionStart(), selectedText().size());
        int algarismos = 1;
        for (const QChar c : depois) algarismos += c.isDigit() ? 1 : 0;
        if (algarismos > 13) {
            e->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(e);
}

void CampoValor::focusInEvent(QFocusEvent* e) {
    if (!isReadOnly()) trocarTexto(textoEdicao(valor_));
    QLineEdit::focusInEvent(e);
}

void CampoValor::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    if (isReadOnly()) {
        trocarTexto(textoExibicao(valor_));
        return;
    }
    // A fração é descartada, e o valor inteiro vai para o campo como se digitado
    QString t = text();
    const qsizetype virgula = t.indexOf(QLatin1Char(','));
    if (virgula >= 0) {
        t.truncate(virgula);
        if (t.isEmpty() || t == QLatin1String("-")) t = QStringLiteral("0");
        setText(t);
        emit textEdited(t);
    }
    try {
        const Dinheiro d = Dinheiro::deTexto(t.toStdString());
        valor_ = fb::Valor(d);
        trocarTexto(QString::fromStdString(d.formatado()));
    } catch (const std::exception&) {
        // Texto que não é número fica como está: a gravação o recusa
    }
}

}  // namespace kov::ui
