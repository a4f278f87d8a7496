#include "ui/GradeEditavel.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>

#include "data/Edicao.h"
#include "platform/Interacao.h"
#include "ui/AncestralDRU.h"
#include "ui/ModeloLinhas.h"
#include "ui/Teclado.h"

namespace kov::ui {

namespace {

bool enter(const QKeyEvent* k) { return k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter; }

Qt::KeyboardModifiers modificadores(const QKeyEvent* k) { return k->modifiers() & ~Qt::KeypadModifier; }

}  // namespace

// Editor das células: lista para as colunas de consulta, caixa de texto para as outras
// (só dígitos e o sinal nos números: a vírgula não entra).
class DelegadoGrade : public QStyledItemDelegate {
public:
    explicit DelegadoGrade(GradeEditavel& g) : QStyledItemDelegate(&g), g_(g) {}

    QWidget* createEditor(QWidget* pai, const QStyleOptionViewItem&, const QModelIndex& i) const override {
        const std::string& campo = g_.modelo()->campos().at(static_cast<size_t>(i.column()));
        QWidget* editor = nullptr;
        if (const auto* itens = g_.lista(campo)) {
            auto* cb = new QComboBox(pai);
            cb->setEditable(false);
            cb->setMaxVisibleItems(20);
            for (const auto& [texto, chave] : *itens) cb->addItem(texto, chave);
            editor = cb;
        } else {
            auto* e = new QLineEdit(pai);
            const Campo* c = g_.modelo()->conjunto().campo(campo);
            if (c && c->especie != EspecieColuna::Texto && c->especie != EspecieColuna::Data)
                e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?\\d{0,13}")), e));
            editor = e;
        }
        g_.celula_ = editor;
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& i) const override {
        const QVariant v = i.data(Qt::EditRole);
        if (auto* cb = qobject_cast<QComboBox*>(editor)) {
            cb->setCurrentIndex(cb->findData(v.toString()));
        } else if (auto* e = qobject_cast<QLineEdit*>(editor)) {
            e->setText(v.toString());
            e->selectAll();
        }
    }

    void setModelData(QWidget* editor, QAbstractItemModel* m, const QModelIndex& i) const override {
        if (auto* cb = qobject_cast<QComboBox*>(editor)) {
            if (cb->currentIndex() >= 0) m->setData(i, cb->currentData().toString());
        } else if (auto* e = qobject_cast<QLineEdit*>(editor)) {
            if (e->text() != i.data(Qt::EditRole).toString()) m->setData(i, e->text());
        }
    }

protected:
    // Enter e Shift+Enter andam pela grade; Seta para cima e para baixo não saem da linha
    // em edição. O resto (Esc fecha a célula sem gravar) é o de sempre.
    bool eventFilter(QObject* alvo, QEvent* e) override {
        if (e->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(e);
            const auto mods = modificadores(k);
            if (enter(k) && (mods == Qt::NoModifier || mods == Qt::ShiftModifier)) {
                g_.andar(mods == Qt::NoModifier);
                return true;
            }
            if ((k->key() == Qt::Key_Up || k->key() == Qt::Key_Down) && g_.conjunto_.editando()) return true;
        }
        return QStyledItemDelegate::eventFilter(alvo, e);
    }

private:
    GradeEditavel& g_;
};

GradeEditavel::GradeEditavel(QTableView* grade, ConjuntoDados& conjunto, std::vector<std::string> campos,
                             Interacao& ui, QObject* pai)
    : QObject(pai ? pai : grade), grade_(grade), conjunto_(conjunto), ui_(ui) {
    modelo_ = new ModeloLinhas(conjunto_, std::move(campos), this);
    modelo_->definirEditavel(true);
    delegado_ = new DelegadoGrade(*this);
    grade_->setModel(modelo_);
    grade_->setItemDelegate(delegado_);
    // Grade isenta do somente leitura da tela, que lhe deixa Enter e Esc
    grade_->setProperty(PropriedadeTag, TagSempreIgual);
    grade_->setProperty(PropriedadeGradeEditavel, true);
    grade_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                            QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    grade_->setSelectionBehavior(QAbstractItemView::SelectItems);
    grade_->setSelectionMode(QAbstractItemView::SingleSelection);
    grade_->setTabKeyNavigation(false);
    grade_->setFocusPolicy(Qt::StrongFocus);
    grade_->installEventFilter(this);

    connect(modelo_, &ModeloLinhas::registroAtualMudou, this, [this] { seguirConjunto(); });
    connect(modelo_, &ModeloLinhas::edicaoRecusada, this, [this](const QString& msg) {
        // Mostrada depois que a célula fechou
        QTimer::singleShot(0, this, [this, msg] { ui_.erro(msg.toStdString()); });
    });
    connect(grade_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& atual, const QModelIndex& anterior) {
                if (atual.isValid()) coluna_ = atual.column();
                if (!sincronizando_ && atual.isValid() && atual.row() != anterior.row()) linhaDaGradeMudou(atual.row());
            });
    connect(qApp, &QApplication::focusChanged, this, &GradeEditavel::focoMudou);
    // Destruída a grade (com a página, antes deste objeto), as mudanças de foco do resto da
    // destruição da janela não chegam mais aqui
    connect(grade_, &QObject::destroyed, this, [this] {
        disconnect(qApp, nullptr, this, nullptr);
        grade_ = nullptr;
    });
    seguirConjunto();
}

GradeEditavel::~GradeEditavel() { disconnect(qApp, nullptr, this, nullptr); }

void GradeEditavel::definirLista(const std::string& campo, Itens itens) { listas_[campo] = std::move(itens); }

const GradeEditavel::Itens* GradeEditavel::lista(const std::string& campo) const {
    const auto i = listas_.find(campo);
    return i == listas_.end() ? nullptr : &i->second;
}

bool GradeEditavel::dentro(const QWidget* w) const { return w && grade_ && (w == grade_ || grade_->isAncestorOf(w)); }

void GradeEditavel::fecharCelula(bool gravar) {
    QWidget* c = celula_.data();
    if (!c || !c->isVisible()) return;
    if (gravar) emit delegado_->commitData(c);
    emit delegado_->closeEditor(c, QAbstractItemDelegate::NoHint);
    celula_.clear();
}

void GradeEditavel::irPara(int linha, int coluna) {
    if (linha < 0 || linha >= modelo_->rowCount()) return;
    coluna = std::clamp(coluna, 0, std::max(0, modelo_->columnCount() - 1));
    const QModelIndex i = modelo_->index(linha, coluna);
    grade_->setCurrentIndex(i);
    grade_->scrollTo(i);
}

bool GradeEditavel::irParaCampo(const std::string& campo) {
    const int coluna = modelo_->colunaDoCampo(campo);
    if (coluna < 0) return false;
    coluna_ = coluna;
    sincronizando_ = true;  // a linha é a do conjunto: nada a gravar
    irPara(std::max(0, conjunto_.atual()), coluna);
    sincronizando_ = false;
    return true;
}

void GradeEditavel::seguirConjunto() {
    if (!grade_) return;
    sincronizando_ = true;
    const int emEdicao = modelo_->linhaEmEdicao();
    const int linha = emEdicao >= 0 ? emEdicao : conjunto_.atual();
    if (linha >= 0 && linha < modelo_->rowCount()) irPara(linha, coluna_);
    sincronizando_ = false;
}

void GradeEditavel::linhaDaGradeMudou(int linha) {
    if (conjunto_.editando() && linha != modelo_->linhaEmEdicao()) {
        // Mudar de linha grava a que estava em edição; recusada, o cursor volta a ela
        if (!postarLinha()) {
            QTimer::singleShot(0, this, [this] { seguirConjunto(); });
            return;
        }
    }
    if (conjunto_.navegando()) conjunto_.irPara(linha);
    seguirConjunto();
}

bool GradeEditavel::postarLinha() {
    fecharCelula(true);
    if (!conjunto_.editando()) return true;
    std::string campo;
    try {
        conjunto_.gravar();
        return true;
    } catch (const Abortar& a) {
        campo = a.campo;  // a regra já mostrou a mensagem
    } catch (const ErroCampo& e) {
        ui_.erro(e.what());
        campo = e.campo;
    } catch (const std::exception& e) {
        ui_.erro(e.what());
    }
    // De volta à célula do campo recusado, na linha em edição
    int coluna = modelo_->colunaDoCampo(campo);
    for (int i = 0; coluna < 0 && i < modelo_->columnCount(); ++i) {
        const Campo* c = conjunto_.campo(modelo_->campos()[static_cast<size_t>(i)]);
        if (c && c->consulta() && c->chaves == campo) coluna = i;
    }
    sincronizando_ = true;
    irPara(modelo_->linhaEmEdicao(), coluna >= 0 ? coluna : coluna_);
    sincronizando_ = false;
    grade_->setFocus(Qt::OtherFocusReason);
    return false;
}

bool GradeEditavel::chavePreenchida() const {
    std::string campo = campoChave_;
    for (size_t i = 0; campo.empty() && i < modelo_->campos().size(); ++i) {
        const Campo* c = conjunto_.campo(modelo_->campos()[i]);
        if (c && c->especie == EspecieColuna::Chave) campo = c->nome;
    }
    if (campo.empty()) return true;
    const std::string t = conjunto_.texto(campo);
    return !t.empty() && t != "0";
}

bool GradeEditavel::sairDaGrade() {
    if (saindo_) return true;
    saindo_ = true;
    fecharCelula(true);
    bool ok = true;
    if (conjunto_.estado() == EstadoConjunto::Insercao && !chavePreenchida()) conjunto_.cancelar();
    else ok = postarLinha();
    saindo_ = false;
    return ok;
}

void GradeEditavel::focoMudou(QWidget* antes, QWidget* agora) {
    // Só a saída para outro controle da mesma janela (não para uma caixa de mensagem)
    if (!grade_ || saindo_ || !dentro(antes) || !agora || dentro(agora) || agora->window() != grade_->window()) return;
    if (!sairDaGrade()) grade_->setFocus(Qt::OtherFocusReason);
}

void GradeEditavel::incluirLinha() {
    if (conjunto_.somenteLeitura()) return;
    if (conjunto_.editando() && !postarLinha()) return;
    if (conjunto_.navegando()) conjunto_.inserir();
    coluna_ = 0;
    seguirConjunto();
    grade_->setFocus(Qt::OtherFocusReason);
}

void GradeEditavel::excluirLinha() {
    fecharCelula(false);
    if (conjunto_.estado() == EstadoConjunto::Insercao) {
        conjunto_.cancelar();
        return;
    }
    conjunto_.cancelar();
    if (conjunto_.vazio()) return;
    try {
        conjunto_.excluir();
    } catch (const std::exception& e) {
        ui_.erro(e.what());
    }
}

void GradeEditavel::andar(bool frente) {
    fecharCelula(true);
    const QModelIndex i = grade_->currentIndex();
    const int linhas = modelo_->rowCount(), colunas = modelo_->columnCount();
    if (linhas == 0 || colunas == 0) {
        if (frente) incluirLinha();
        return;
    }
    const int l = i.isValid() ? i.row() : 0, c = i.isValid() ? i.column() : 0;
    if (frente) {
        if (c + 1 < colunas) irPara(l, c + 1);
        else if (l + 1 < linhas) irPara(l + 1, 0);
        else incluirLinha();
    } else {
        if (c > 0) irPara(l, c - 1);
        else if (l > 0) irPara(l - 1, colunas - 1);
        else irPara(linhas - 1, colunas - 1);
    }
}

bool GradeEditavel::eventFilter(QObject* alvo, QEvent* e) {
    if (alvo != grade_ || e->type() != QEvent::KeyPress) return QObject::eventFilter(alvo, e);
    auto* k = static_cast<QKeyEvent*>(e);
    const auto mods = modificadores(k);
    if (enter(k) && (mods == Qt::NoModifier || mods == Qt::ShiftModifier)) {
        andar(mods == Qt::NoModifier);
        return true;
    }
    if ((k->key() == Qt::Key_Up || k->key() == Qt::Key_Down) && conjunto_.editando()) return true;
    if (k->key() == Qt::Key_Escape && mods == Qt::NoModifier && conjunto_.editando()) {
        conjunto_.cancelar();
        return true;
    }
    return QObject::eventFilter(alvo, e);
}

}  // namespace kov::ui
