#include "ui/CaixaMensagem.h"

#include <QAbstractButton>

namespace kov::ui {

QString TextoParaTela(const std::string& texto) {
    QString s = QString::fromStdString(texto);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

QString TituloPadrao(QMessageBox::Icon icone) {
    switch (icone) {
        case QMessageBox::Warning: return QStringLiteral("Aviso");
        case QMessageBox::Critical: return QStringLiteral("Erro");
        case QMessageBox::Information: return QStringLiteral("Informação");
        case QMessageBox::Question: return QStringLiteral("Confirme");
        default: return {};
    }
}

void TraduzirCaixa(QMessageBox& caixa) {
    // O botão "Todos" das caixas do sistema não tem equivalente entre os botões padrão do Qt.
    static const struct {
        QMessageBox::StandardButton botao;
        const char* texto;
    } textos[] = {
        {QMessageBox::Yes, "&Sim"},
        {QMessageBox::No, "&Não"},
        {QMessageBox::Ok, "Ok"},
        {QMessageBox::Cancel, "Cancelar"},
        {QMessageBox::Help, "&Ajuda"},
        {QMessageBox::Abort, "&Abortar"},
        {QMessageBox::Retry, "&Repetir"},
        {QMessageBox::Ignore, "&Ignorar"},
        {QMessageBox::NoToAll, "N&ão para Todos"},
        {QMessageBox::YesToAll, "Sim pata &Todos"},
    };
    for (const auto& t : textos)
        if (QAbstractButton* b = caixa.button(t.botao)) b->setText(QString::fromUtf8(t.texto));
    if (caixa.windowTitle().isEmpty()) caixa.setWindowTitle(TituloPadrao(caixa.icon()));
}

QMessageBox::StandardButton MostrarCaixa(QWidget* pai, QMessageBox::Icon icone, const QString& titulo,
                                         const QString& texto, QMessageBox::StandardButtons botoes,
                                         QMessageBox::StandardButton padrao) {
    QMessageBox caixa(icone, titulo.isEmpty() ? TituloPadrao(icone) : titulo, texto, botoes, pai);
    if (padrao != QMessageBox::NoButton) caixa.setDefaultButton(padrao);
    TraduzirCaixa(caixa);
    const int r = caixa.exec();
    return static_cast<QMessageBox::StandardButton>(r);
}

}  // namespace kov::ui
