// Formulários impressos: ler da base uma declaração com 300 linhas de outras entradas por
// município (todas de mudança de município) e 27 linhas de GI em cada sentido, montar os
// seis formulários e gravá-los em PDF (meta: menos de 1 s).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <filesystem>
#include <random>

#include "data/CriarBase.h"
#include "data/Declaracao.h"
#include "data/RegrasDeclaracao.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "reports/DadosImpressao.h"
#include "reports/Formularios.h"

namespace fs = std::filesystem;
using namespace kov;

namespace {

struct Base {
    fs::path pasta = fs::temp_directory_path() / ("kov-bench-rel-" + std::to_string(std::random_device{}()));
    fb::Conexao c;
    TabelasReferencia ref;
    Base() {
        fs::create_directories(pasta);
        criarBase((pasta / "KOV.GDB").string());
        fb::ParametrosConexao p;
        p.banco = (pasta / "KOV.GDB").string();
        c.abrir(p);
        fb::Transacao tr(c);
        fb::Comando::executarDireto(tr,
                                    "EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < 300) DO BEGIN "
                                    "INSERT INTO MUNICIPIO VALUES (900000 + :I, 900000 + :I, 'MUNICIPIO ' || :I); "
                                    "I = I + 1; END END");
        fb::Comando::executarDireto(tr,
                                    "INSERT INTO CONTRIBUINTE (CONTRIBUINTE_ID, CNAEF_ID, DESMEMBRAMENTO, CODDRUMUNICIPIO, "
                                    "UF_ID, TIPOCONTRIBUINTE_ID, RAZAOSOCIAL, CEP, INSCESTADUAL, CNPJ) VALUES (1, "
                                    "'4711301', '00', 900000, 'QZ', 1, 'Bench', '12345678', '1234567890107', "
                                    "'12345678000199')");
        tr.commit();
        Declaracao d = NovaDeclaracao("2016");
        d.doc.DOCUMENTO_ID = 1;
        d.doc.CONTRIBUINTE_ID = 1;
        d.doc.REGIME_ID = 1;
        d.doc.TIPOCONTRIBUINTE_ID = 1;
        d.doc.CNAEF_ID = "4711301";
        d.doc.DESMEMBRAMENTO = "00";
        d.doc.CODDRUMUNICIPIO = 900000;
        d.doc.MESINICIAL = 1;
        d.doc.MESFINAL = 12;
        d.doc.MUDANCAMUNICIPIO = "S";
        CriarSecoesQueFaltam(d);
        {
            fb::Transacao t2(c);
            fb::Comando q(t2, "SELECT UF_ID FROM UF WHERE UF_ID <> 'QZ'");
            while (q.proximo()) {
                GIEntrada e;
                ZerarCampos(e);
                e.UF_ID = q.coluna(0).texto();
                e.VALORCONTABIL = Dinheiro::deReais(1000);
                d.giEntrada.push_back(e);
                GISaidas s;
                ZerarCampos(s);
                s.UF_ID = e.UF_ID;
                d.giSaidas.push_back(s);
            }
            fb::Comando m(t2, "SELECT CODDRUMUNICIPIO, DESCRICAO FROM MUNICIPIO");
            while (m.proximo())
                ref.cdsMunicipio.push_back({static_cast<int>(m.coluna(0).inteiro()), 0, m.coluna(1).texto()});
            fb::Comando o(t2, "SELECT TIPOOPERACAO_ID, DESCRICAO FROM TIPOOPERACAO");
            while (o.proximo()) ref.cdsTipoOperacao.push_back({static_cast<int>(o.coluna(0).inteiro()), o.coluna(1).texto()});
        }
        for (int i = 0; i < 300; ++i) {
            DetalhamentoEntrada m = NovaLinhaDetalhamentoEntrada("S");
            m.CODDRUMUNICIPIO = 900000 + i;
            m.VALOR = Dinheiro::deCentavos(1234500 + i);
            m.VALORMUDANCA = Dinheiro::deCentavos(99900 + i);
            d.detalhamentoEntrada.push_back(m);
        }
        GravarDeclaracao(c, d);
    }
    ~Base() {
        c.fechar();
        fs::remove_all(pasta);
    }
};

void BM_SeisFormulariosEmPdf(benchmark::State& state) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char nome[] = "bench_relatorios";
    static char* argv[] = {nome, nullptr};
    static QGuiApplication app(argc, argv);
    static Base b;
    const std::set<relatorios::TipoFormulario> todos(relatorios::TodosFormularios().begin(),
                                                     relatorios::TodosFormularios().end());
    int64_t bytes = 0, paginas = 0;
    for (auto _ : state) {
        const auto dados = relatorios::CarregarDadosImpressao(b.c, b.ref, 1);
        const auto formularios = relatorios::MontarFormularios(dados, todos);
        if (formularios.size() != 6) state.SkipWithError("faltam formulários");
        paginas = 0;
        for (const auto& f : formularios) {
            bytes += f.relatorio.pdf().size();
            paginas += f.relatorio.paginas();
        }
    }
    state.counters["paginas"] = static_cast<double>(paginas);
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_SeisFormulariosEmPdf)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
