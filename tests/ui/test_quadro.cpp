// Quadro de avisos: leitura do Msgs.dat, disposição dos avisos e o quadro na janela principal.
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include "ApoioUi.h"
#include "ui/QuadroMensagens.h"
#include "ui/frmPrincipal.h"

using namespace kov;
using namespace kov::teste;
using ui::AvisoQuadro;
using ui::DisporAvisos;
using ui::MedidasQuadro;

namespace {

MedidasQuadro medidasPadrao() {
    MedidasQuadro m;
    m.esquerdaMargem = 220;
    m.baseCabecalho = 100;
    m.icone = QSize(16, 16);
    m.larguraJanela = 1000;
    m.alturaJanela = 600;
    m.alturaLinha = 16;
    return m;
}

}  // namespace

TEST(LerAvisos, EstadoPeloPrimeiroCaractereELinhasVaziasIgnoradas) {
    PastaTemporaria p;
    const auto arq = p.caminho() / "Msgs.dat";
    escreverArquivo(arq, "1Primeiro aviso\r\n\r\n0Segundo aviso\n\nXTerceiro: atenção\n1\n");
    const auto avisos = ui::LerAvisos(QString::fromStdString(arq.string()));
    ASSERT_EQ(avisos.size(), 4u);
    EXPECT_TRUE(avisos[0].ativo);
    EXPECT_EQ(avisos[0].texto, "Primeiro aviso");
    EXPECT_FALSE(avisos[1].ativo);
    EXPECT_EQ(avisos[1].texto, "Segundo aviso");
    EXPECT_FALSE(avisos[2].ativo);  // qualquer caractere diferente de "1" é inativo
    EXPECT_EQ(avisos[2].texto, QString::fromUtf8("Terceiro: atenção"));
    EXPECT_TRUE(avisos[3].ativo);
    EXPECT_EQ(avisos[3].texto, "");

    EXPECT_TRUE(ui::LerAvisos(QString::fromStdString((p.caminho() / "naoexiste.dat").string())).empty());
}

TEST(DisporAvisos, PosicoesDoIconeEDoTexto) {
    const auto m = medidasPadrao();
    // caixa de texto: de 220+8+16+18 = 262 até 1000-50 = 950, largura 688
    const auto r = DisporAvisos({100, 688, 687, 0, 688 * 3 + 5}, m);
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[0].icone, QRect(228, 120, 16, 16));  // 20 abaixo do cabeçalho, 8 depois da faixa
    EXPECT_EQ(r[0].texto, QRect(262, 120, 688, 28));
    EXPECT_EQ(r[0].linhas, 1);
    // uma linha a mais por largura inteira da caixa contida no texto
    EXPECT_EQ(r[1].linhas, 2);
    EXPECT_EQ(r[1].texto.height(), 56);
    EXPECT_EQ(r[2].linhas, 1);
    EXPECT_EQ(r[3].linhas, 1);
    EXPECT_EQ(r[4].linhas, 4);
    // próximo topo: topo + altura da linha x linhas + 20
    EXPECT_EQ(r[1].icone.top(), 120 + 16 + 20);
    EXPECT_EQ(r[2].icone.top(), 156 + 32 + 20);
    EXPECT_EQ(r[3].icone.top(), 208 + 16 + 20);
    EXPECT_EQ(r[4].icone.top(), 244 + 16 + 20);
    for (size_t i = 0; i < r.size(); ++i) EXPECT_EQ(r[i].indice, static_cast<int>(i));
}

TEST(DisporAvisos, ParaNoPrimeiroAvisoAMenosDe200PixelsDoFimDaJanela) {
    auto m = medidasPadrao();
    // limite: topo <= 600 - 200 = 400. O segundo aviso ocupa 12 linhas: topos 120, 156, 368;
    // o quarto começaria em 368 + 16 + 20 = 404.
    const std::vector<int> larguras = {10, 688 * 11, 10, 10, 1, 1, 1};
    auto r = DisporAvisos(larguras, m);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[1].linhas, 12);
    EXPECT_EQ(r[2].icone.top(), 368);
    // ele e os seguintes, mesmo curtos, ficam de fora

    // topo exatamente em altura - 200 ainda entra
    m.alturaJanela = 604;
    EXPECT_EQ(DisporAvisos(larguras, m).size(), 4u);
    m.alturaJanela = 603;
    EXPECT_EQ(DisporAvisos(larguras, m).size(), 3u);
    m.alturaJanela = 567;
    EXPECT_EQ(DisporAvisos(larguras, m).size(), 2u);

    // janela baixa demais: nenhum aviso
    m.alturaJanela = 319;
    EXPECT_TRUE(DisporAvisos(larguras, m).empty());
    EXPECT_TRUE(DisporAvisos({}, medidasPadrao()).empty());
}

TEST(DisporAvisos, JanelaEstreitaDemaisNaoDivideComZero) {
    auto m = medidasPadrao();
    m.larguraJanela = 300;  // caixa de texto teria largura negativa
    const auto r = DisporAvisos({5, 0}, m);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].texto.width(), 1);
    EXPECT_EQ(r[0].linhas, 6);
    EXPECT_EQ(r[1].linhas, 1);
}

namespace {

QImage imagem(const QPixmap& p) { return p.toImage().convertToFormat(QImage::Format_RGB32); }
QImage imagem(const std::filesystem::path& arq) {
    return QImage(QString::fromStdString(arq.string())).convertToFormat(QImage::Format_RGB32);
}

}  // namespace

TEST(QuadroMensagens, AvisoAtivoENegritoPretoEInativoCinzaItalico) {
    AmbienteTela amb;
    escreverArquivo(amb.inst.exe / "Msgs.dat", "1Primeiro aviso\n\n0Segundo aviso\n");
    ui::TFormPrincipal form(*amb.dm);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QApplication::processEvents();

    const auto& msgs = form.quadro()->mensagens();
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(form.quadro()->findChildren<ui::TDRUMensagem*>().size(), 2);
    const auto* a = msgs[0];
    const auto* b = msgs[1];
    EXPECT_TRUE(a->ativo());
    EXPECT_EQ(a->texto(), "Primeiro aviso");
    EXPECT_TRUE(a->rotulo()->font().bold());
    EXPECT_FALSE(a->rotulo()->font().italic());
    EXPECT_EQ(a->rotulo()->palette().color(QPalette::WindowText), QColor(Qt::black));
    EXPECT_EQ(imagem(a->icone()->pixmap()), imagem(amb.inst.exe / "Item.bmp"));

    EXPECT_FALSE(b->ativo());
    EXPECT_EQ(b->texto(), "Segundo aviso");
    EXPECT_FALSE(b->rotulo()->font().bold());
    EXPECT_TRUE(b->rotulo()->font().italic());
    EXPECT_EQ(b->rotulo()->palette().color(QPalette::WindowText), QColor(128, 128, 128));
    EXPECT_EQ(imagem(b->icone()->pixmap()), imagem(amb.inst.exe / "ItemDisable.bmp"));

    // um abaixo do outro, ambos visíveis, o texto à direita do ícone
    EXPECT_TRUE(a->exibido());
    EXPECT_TRUE(b->exibido());
    EXPECT_TRUE(a->rotulo()->isVisible());
    EXPECT_GT(b->icone()->y(), a->icone()->y());
    EXPECT_EQ(a->rotulo()->x(), a->icone()->x() + a->icone()->width() + 18);
    // o texto termina 50 pixels antes da borda direita da janela
    EXPECT_EQ(a->rotulo()->mapTo(&form, QPoint(a->rotulo()->width(), 0)).x(), form.width() - 50);
    EXPECT_TRUE(amb.ui.mensagens.empty());
}

TEST(QuadroMensagens, SemMsgsDatOQuadroFicaVazioSemMensagem) {
    AmbienteTela amb;
    ui::TFormPrincipal form(*amb.dm);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_TRUE(form.quadro()->mensagens().empty());
    EXPECT_TRUE(form.quadro()->findChildren<ui::TDRUMensagem*>().empty());
    EXPECT_TRUE(amb.ui.mensagens.empty());
}

TEST(QuadroMensagens, FiguraAusenteEhInformadaPelaCaixaDeErro) {
    AmbienteTela amb;
    escreverArquivo(amb.inst.exe / "Msgs.dat", "0So inativo\n1Ativo\n");
    std::filesystem::remove(amb.inst.exe / "Item.bmp");
    ui::TFormPrincipal form(*amb.dm);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const auto erros = amb.doTipo("erro");
    ASSERT_EQ(erros.size(), 1u);
    EXPECT_NE(erros[0].texto.find("Item.bmp"), std::string::npos);
    EXPECT_TRUE(form.quadro()->mensagens().empty());
}

TEST(QuadroMensagens, AvisosQueNaoCabemFicamDeFora) {
    AmbienteTela amb;
    std::string conteudo;
    for (int i = 1; i <= 60; ++i) conteudo += (i % 2 ? "1" : "0") + std::string("Aviso ") + std::to_string(i) + "\n";
    escreverArquivo(amb.inst.exe / "Msgs.dat", conteudo);
    ui::TFormPrincipal form(*amb.dm);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QApplication::processEvents();

    const auto& msgs = form.quadro()->mensagens();
    ASSERT_EQ(msgs.size(), 60u);
    const int exibidos = form.quadro()->exibidos();
    ASSERT_GT(exibidos, 0);
    ASSERT_LT(exibidos, 60);
    // os exibidos são os primeiros do arquivo
    for (int i = 0; i < 60; ++i) EXPECT_EQ(msgs[i]->exibido(), i < exibidos) << i;
    // o último exibido começa até 200 pixels do fim; o seguinte começaria depois disso
    const int limite = form.height() - 200;
    const auto* ultimo = msgs[exibidos - 1];
    const int topo = ultimo->icone()->mapTo(&form, QPoint(0, 0)).y();
    EXPECT_LE(topo, limite);
    const int alturaLinha = QFontMetrics(ui::QuadroMensagens::fonteAviso(false)).height();
    EXPECT_GT(topo + alturaLinha + 20, limite);
}
