#include "ui/InteracaoGui.h"

#include <QApplication>
#include <QFileDialog>
#include <QProgressBar>

#include "ui/CaixaMensagem.h"
#include "ui/pdrBasica.h"
#include "ui/uOpcoes.h"

namespace kov::ui {

namespace {

QMessageBox::Icon iconeDo(TipoMensagem tipo) {
    switch (tipo) {
        case TipoMensagem::Informacao: return QMessageBox::Information;
        case TipoMensagem::Aviso: return QMessageBox::Warning;
        case TipoMensagem::Erro: return QMessageBox::Critical;
        case TipoMensagem::Confirmacao: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QWidget* InteracaoGui::pai() const {
    // A caixa fica sobre a janela com que o usuário está trabalhando (uma tela modal, por
    // exemplo); sem janela ativa, sobre a janela principal.
    if (QWidget* w = QApplication::activeModalWidget()) return w;
    if (QWidget* w = QApplication::activeWindow()) return w;
    return janela_.data();
}

void InteracaoGui::mensagem(TipoMensagem tipo, const std::string& titulo, const std::string& texto) {
    MostrarCaixa(pai(), iconeDo(tipo), QString::fromStdString(titulo), TextoParaTela(texto));
}

bool InteracaoGui::pergunta(const std::string& titulo, const std::string& texto) {
    return MostrarCaixa(pai(), QMessageBox::Question, QString::fromStdString(titulo), TextoParaTela(texto),
                        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

void InteracaoGui::erro(const std::string& texto) {
    MostrarCaixa(pai(), QMessageBox::Critical, QStringLiteral("Erro"), TextoParaTela(texto));
}

std::string InteracaoGui::escolherPasta(const std::string& titulo, const std::string& inicial) {
    const QString p = QFileDialog::getExistingDirectory(pai(), QString::fromStdString(titulo),
                                                        QString::fromStdString(inicial));
    return p.toStdString();
}

void InteracaoGui::mostrarStatus(const std::string& texto) {
    // Numa tela de passos, a linha de situação dela; nas outras janelas, a barra de status
    // da janela principal
    if (qobject_cast<TscrPdrBasica*>(QApplication::activeWindow())) {
        MostrarStatus(texto);
        return;
    }
    if (barra_) barra_->showMessage(TextoParaTela(texto));
    // O programa trabalha numa só linha de execução: deixa a barra se redesenhar durante
    // as rotinas longas.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

std::string InteracaoGui::opcoesArquivoExistente() {
    TscrOpcoes opcoes(pai());
    opcoes.exec();
    return opcoes.resultado().toStdString();
}

void InteracaoGui::progresso(unsigned long long feito, unsigned long long total) {
    QWidget* janela = pai();
    auto* barra = janela ? janela->findChild<QProgressBar*>(QStringLiteral("barraProgresso")) : nullptr;
    if (!barra || total == 0) return;
    const int valor = static_cast<int>(feito * static_cast<unsigned long long>(barra->maximum()) / total);
    if (valor == barra->value()) return;
    barra->setValue(valor);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void InteracaoGui::limparStatus() {
    if (qobject_cast<TscrPdrBasica*>(QApplication::activeWindow())) LimparStatus();
    if (barra_) barra_->clearMessage();
}

}  // namespace kov::ui
