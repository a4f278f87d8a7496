#pragma once
// Caixas de mensagem do programa: botões e títulos em português, quebras de linha dos
// textos do sistema ("\r\n" e "\r") mostradas como quebras de linha.
#include <QMessageBox>
#include <QString>
#include <string>

namespace kov::ui {

// Texto do sistema (UTF-8, com "\r\n" ou "\r" como quebra) pronto para a tela.
QString TextoParaTela(const std::string& texto);

// Título padrão de uma caixa sem título, pelo seu ícone: "Aviso", "Erro", "Informação",
// "Confirme"; vazio para caixas sem ícone.
QString TituloPadrao(QMessageBox::Icon icone);

// Troca os textos dos botões padrão presentes na caixa pelos textos em português
// ("&Sim", "&Não", "Ok", "Cancelar", ...) e dá o título padrão a uma caixa sem título.
void TraduzirCaixa(QMessageBox& caixa);

// Mostra uma caixa modal e devolve o botão escolhido.
QMessageBox::StandardButton MostrarCaixa(QWidget* pai, QMessageBox::Icon icone, const QString& titulo,
                                         const QString& texto,
                                         QMessageBox::StandardButtons botoes = QMessageBox::Ok,
                                         QMessageBox::StandardButton padrao = QMessageBox::NoButton);

}  // namespace kov::ui
