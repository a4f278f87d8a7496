#include "ui/Ajuda.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "platform/Interacao.h"

namespace kov::ui {

namespace {
const char* const PropriedadeContexto = "contextoAjuda";
}

void DefinirContextoAjuda(QWidget* janela, int contexto) { janela->setProperty(PropriedadeContexto, contexto); }

int ContextoAjudaDe(const QWidget* janela) {
    if (!janela) return ContextoAjuda::Geral;
    const QVariant v = janela->property(PropriedadeContexto);
    return v.isValid() ? v.toInt() : ContextoAjuda::Geral;
}

QString ArquivoAjuda(const std::string& diretorioPrograma, int contexto) {
    QString dir = QString::fromStdString(diretorioPrograma);
    if (!dir.isEmpty() && !dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir + QStringLiteral("ajuda/") + QString::number(contexto) + QStringLiteral(".html");
}

JanelaAjuda::JanelaAjuda(QWidget* pai) : QDialog(pai) {
    setObjectName(QStringLiteral("JanelaAjuda"));
    setWindowTitle(QStringLiteral("Ajuda"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMinMaxButtonsHint, true);
    setAttribute(Qt::WA_DeleteOnClose);
    navegador_ = new QTextBrowser(this);
    navegador_->setObjectName(QStringLiteral("navegador"));
    navegador_->setOpenExternalLinks(true);
    auto* botoes = new QDialogButtonBox(this);
    QPushButton* fechar = botoes->addButton(QStringLiteral("&Fechar"), QDialogButtonBox::RejectRole);
    fechar->setObjectName(QStringLiteral("btnFechar"));
    connect(botoes, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(navegador_);
    lay->addWidget(botoes);
    resize(680, 540);
}

bool JanelaAjuda::mostrar(const QString& arquivo, int contexto) {
    const QFileInfo f(arquivo);
    if (!f.isFile()) return false;
    navegador_->setSearchPaths({f.absolutePath()});
    navegador_->setSource(QUrl::fromLocalFile(f.absoluteFilePath()));
    contexto_ = contexto;
    return true;
}

FiltroAjuda::FiltroAjuda(Interacao& ui, std::string diretorioPrograma, QObject* pai)
    : QObject(pai), ui_(ui), dir_(std::move(diretorioPrograma)) {}

bool FiltroAjuda::eventFilter(QObject* alvo, QEvent* evento) {
    if (evento->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(evento)->key() != Qt::Key_F1) return false;
    QWidget* ativa = QApplication::activeWindow();
    if (!ativa)
        if (auto* w = qobject_cast<QWidget*>(alvo)) ativa = w->window();
    if (!ativa || qobject_cast<QMessageBox*>(ativa)) return false;
    abrirAjuda(ativa);
    return true;
}

void FiltroAjuda::abrirAjuda(QWidget* janela) {
    if (!janela || qobject_cast<QMessageBox*>(janela)) return;
    // F1 dentro da própria ajuda leva à página geral, na mesma janela.
    if (auto* ajuda = qobject_cast<JanelaAjuda*>(janela)) {
        if (!ajuda->mostrar(ArquivoAjuda(dir_, ContextoAjuda::Geral), ContextoAjuda::Geral))
            ui_.mensagem(TipoMensagem::Informacao, "Ajuda", "Não há arquivo de ajuda");
        return;
    }
    abrirAjuda(ContextoAjudaDe(janela), janela);
}

void FiltroAjuda::abrirAjuda(int contexto, QWidget* dona) {
    const QString arquivo = ArquivoAjuda(dir_, contexto);
    if (!QFileInfo(arquivo).isFile()) {
        ui_.mensagem(TipoMensagem::Informacao, "Ajuda", "Não há arquivo de ajuda");
        return;
    }
    // A ajuda pertence à janela de onde foi pedida: sobre uma tela modal ela continua
    // utilizável, e uma janela de ajuda já aberta para a mesma janela é reaproveitada.
    JanelaAjuda* ajuda = dona ? dona->findChild<JanelaAjuda*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!ajuda) ajuda = new JanelaAjuda(dona);
    ajuda->mostrar(arquivo, contexto);
    ajuda->show();
    ajuda->raise();
    ajuda->activateWindow();
}

}  // namespace kov::ui
