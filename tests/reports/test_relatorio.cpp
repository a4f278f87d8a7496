// O motor de relatório e a moldura TscrPdrReport: paginação, título só na primeira página,
// rodapé com a versão e a página em todas, parágrafo com quebra de linhas e a falha ao gravar.
#include <gtest/gtest.h>

#include "apoio/BaseTeste.h"
#include "reports/ApoioFormularios.h"
#include "reports/pdrReport.h"

#include <QPrinter>

#include "apoio/Processo.h"

using namespace kov;
using namespace kov::relatorios;
using teste::Contar;

TEST(MotorRelatorio, MolduraPaginacaoEParagrafo) {
    teste::garantirAplicacaoGui();
    TscrPdrReport frame(QStringLiteral("Recibo"), QStringLiteral("Recibo de Transmissão do Arquivo"),
                        QStringLiteral("7.07.10"), QDateTime(QDate(2027, 1, 2), QTime(8, 5, 9)));
    Relatorio& r = frame.QuickRep1();
    QString longo;
    for (int i = 1; i <= 120; ++i) longo += QStringLiteral("palavra%1 ").arg(i);
    Banda p;
    const double h = p.paragrafo(0, 0, LarguraUtil, longo);
    EXPECT_GT(h, 3 * AlturaLinha(Fonte{}));  // quebrou em várias linhas
    r.detalhe(std::move(p));
    for (int i = 1; i <= 80; ++i) {
        Banda b;
        b.texto(0, 0, 60, QStringLiteral("linha %1").arg(i));
        b.valor(100, 0, 40, Dinheiro::deReais(i * 1000));
        r.detalhe(std::move(b));
    }
    // Texto corrido longo (um recibo com centenas de linhas): continua nas páginas seguintes
    QString recibo;
    for (int i = 1; i <= 200; ++i) recibo += QStringLiteral("Município %1                 %2\r\n").arg(i, 3).arg(i * 10);
    r.textoCorrido(recibo, Mono(9));
    ASSERT_GE(r.paginas(), 4);
    const std::string t = teste::TextoDoPdf(r);
    std::string todas;
    for (int i = 0; i < r.paginas(); ++i) todas += r.textoDaPagina(i).toStdString();
    EXPECT_EQ(Contar(todas, "Município "), 200u);
    EXPECT_NE(r.textoDaPagina(r.paginas() - 1).indexOf(QStringLiteral("Município 200                 2000")), -1);
    EXPECT_EQ(Contar(t, "Município"), 200u);
    EXPECT_EQ(Contar(t, "Recibo de Transmissão do Arquivo"), 1u);  // título só na primeira página
    EXPECT_EQ(Contar(t, NomeAdministracao), 1u);
    EXPECT_NE(t.find("Tessiva"), std::string::npos);
    EXPECT_EQ(Contar(t, "KOV 7.07.10"), static_cast<size_t>(r.paginas()));
    EXPECT_EQ(Contar(t, "02/01/2027 08:05:09"), static_cast<size_t>(r.paginas()));
    EXPECT_NE(t.find(QStringLiteral("Página %1 de %1").arg(r.paginas()).toStdString()), std::string::npos);
    EXPECT_NE(t.find("palavra120"), std::string::npos);
    // Nenhuma linha perdida na quebra de página, cada uma uma vez
    for (int i : {1, 40, 80}) EXPECT_EQ(Contar(t, "linha " + std::to_string(i) + " "), 1u) << i;
    EXPECT_NE(t.find("80.000"), std::string::npos);
    // Nenhuma banda passa do rodapé: a última linha da primeira página acaba antes dele
    const std::string p1 = r.textoDaPagina(0).toStdString();
    EXPECT_EQ(p1.find("KOV 7.07.10"), std::string::npos);

    teste::PastaTemporaria pasta;
    const std::string ruim = (pasta.caminho() / "nao-existe" / "x.pdf").string();
    try {
        r.gravarPdf(ruim);
        ADD_FAILURE() << "gravou numa pasta que não existe";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find(ruim), std::string::npos) << e.what();
    }
}

TEST(MotorRelatorio, ImpressoraComIntervaloEProgresso) {
    teste::garantirAplicacaoGui();
    Relatorio r(QStringLiteral("Lista"));
    for (int i = 1; i <= 150; ++i) {
        Banda b;
        b.texto(0, 0, 60, QStringLiteral("item %1").arg(i));
        b.definirAltura(5);
        r.detalhe(std::move(b));
    }
    ASSERT_GE(r.paginas(), 3);
    // Uma linha mais larga que a página quebra em várias, sem perder caracteres
    Relatorio largo(QStringLiteral("Largo"));
    largo.textoCorrido(QString(400, QLatin1Char('x')), Mono(9));
    EXPECT_EQ(largo.textoDaPagina(0).count(QLatin1Char('x')), 400);
    EXPECT_GT(largo.textoDaPagina(0).count(QLatin1Char('\n')), 2);
    teste::PastaTemporaria pasta;
    auto imprimir = [&](int de, int ate, int cancelarEm, const std::string& nome) {
        QPrinter impressora;
        r.configurarImpressora(impressora);
        impressora.setOutputFormat(QPrinter::PdfFormat);
        impressora.setOutputFileName(QString::fromStdString((pasta.caminho() / nome).string()));
        impressora.setFromTo(de, ate);
        std::vector<int> chamadas;
        r.desenhar(impressora, [&](int pagina, int) {
            chamadas.push_back(pagina);
            return pagina != cancelarEm;
        });
        return chamadas;
    };
    // Só a página 2 do intervalo escolhido
    EXPECT_EQ(imprimir(2, 2, 0, "p2.pdf"), std::vector<int>{2});
    const std::string t = teste::rodar("/usr/bin/pdftotext", {(pasta.caminho() / "p2.pdf").string(), "-"}).saida;
    EXPECT_EQ(t.find("item 1\n"), std::string::npos);
    EXPECT_NE(t.find("item 60"), std::string::npos) << t;
    EXPECT_EQ(Contar(t, "\f"), 1u);
    // Todas (0 a 0) e cancelada na segunda: o progresso para ali
    EXPECT_EQ(imprimir(0, 0, 0, "todas.pdf").size(), static_cast<size_t>(r.paginas()));
    EXPECT_EQ(imprimir(0, 0, 2, "cancelada.pdf"), (std::vector<int>{1, 2}));
}
