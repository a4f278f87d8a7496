#include "reports/ApoioFormularios.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "apoio/BaseTeste.h"
#include "apoio/Processo.h"
#include "data/Registros.h"

namespace kov::teste {

void garantirAplicacaoGui() {
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char nome[] = "testes_reports";
    static char* argv[] = {nome, nullptr};
    static QGuiApplication app(argc, argv);
}

relatorios::DadosImpressao DadosDeTeste(int regime) {
    relatorios::DadosImpressao dd;
    auto& doc = dd.d.doc;
    doc.DOCUMENTO_ID = 501;
    doc.CONTRIBUINTE_ID = 9;
    doc.REGIME_ID = regime;
    doc.TIPOCONTRIBUINTE_ID = 1;
    doc.CNAEF_ID = "4711301";
    doc.DESMEMBRAMENTO = "00";
    doc.CODDRUMUNICIPIO = 12;
    doc.TIPORECOLHIMENTO_ID = regime >= 5 ? 1 : 0;
    doc.PERIODO = 2026;
    doc.MESINICIAL = 1;
    doc.MESFINAL = 12;
    doc.ESCRITACONTABIL = "N";
    doc.SUBSTITUICAO = "N";
    doc.MUDANCAMUNICIPIO = "N";
    doc.BAIXA = "N";
    doc.MUDANCAMUNICIPIOANOCORRENTE = "N";
    dd.d.DESCRICAO_MUNICIPIO = "Serra Alta";
    dd.d.DESCRICAO_TIPOREGIME = "Regime de teste";
    dd.d.DESCRICAO_CNAEF = "Hipermercados";
    auto zerada = [](auto& sec) {
        sec.emplace();
        ZerarCampos(*sec);
    };
    zerada(dd.d.estoque);
    zerada(dd.d.despesas);
    zerada(dd.d.resultado);
    zerada(dd.d.entrada);
    zerada(dd.d.saida);
    zerada(dd.d.kov);
    zerada(dd.d.exclusoes);
    for (int t = 1; t <= 6; ++t) {
        DetalhamentoES e;
        e.TIPOOPERACAO_ID = t;
        e.DOCUMENTO_ID = 501;
        ZerarCampos(e);
        dd.d.detalhamentoES.push_back(e);
    }
    dd.contribuinte.CONTRIBUINTE_ID = 9;
    dd.contribuinte.INSCESTADUAL = "1234567890107";
    dd.contribuinte.RAZAOSOCIAL = "Comércio Ação Ltda";
    dd.contribuinte.ENDERECO = "Rua das Flores";
    dd.contribuinte.CODDRUMUNICIPIO = 30;
    dd.MUNICIPIO_CONTRIBUINTE = "Porto Claro";
    dd.TITULO_CONTRIBUINTE = "Comércio";
    dd.ANOEXERCICIO = "2026";
    dd.municipios = {{7, "Aldeia Nova"}, {12, "Serra Alta"}, {30, "Porto Claro"}};
    dd.tiposOperacao = {{1, "Entradas do Estado"},         {2, "Entradas de Outros Estados"},
                        {3, "Entradas do Exterior"},       {4, "Saídas para o Estado"},
                        {5, "Saídas para Outros Estados"}, {6, "Saídas para o Exterior"}};
    return dd;
}

std::string TextoDoPdf(const relatorios::Relatorio& r) {
    PastaTemporaria pasta;
    const auto pdf = pasta.caminho() / "f.pdf";
    r.gravarPdf(pdf.string());
    // KOV_GUARDAR_PDF=pasta guarda uma cópia de cada PDF (para olhar as páginas como imagem)
    if (const char* guardar = std::getenv("KOV_GUARDAR_PDF")) {
        static int n = 0;
        std::filesystem::copy_file(pdf, std::filesystem::path(guardar) / (std::to_string(++n) + ".pdf"),
                                   std::filesystem::copy_options::overwrite_existing);
    }
    const auto res = rodar("/usr/bin/pdftotext", {"-layout", pdf.string(), "-"});
    EXPECT_EQ(res.codigo, 0) << res.erros;
    return res.saida;
}

size_t Contar(const std::string& texto, const std::string& trecho) {
    size_t n = 0;
    for (size_t p = texto.find(trecho); p != std::string::npos; p = texto.find(trecho, p + trecho.size())) ++n;
    return n;
}

std::string LinhaCom(const std::string& texto, const std::string& trecho) {
    const size_t p = texto.find(trecho);
    if (p == std::string::npos) return {};
    const size_t ini = texto.rfind('\n', p);
    const size_t fim = texto.find('\n', p);
    return texto.substr(ini == std::string::npos ? 0 : ini + 1, fim == std::string::npos ? std::string::npos : fim - ini - 1);
}

}  // namespace kov::teste
