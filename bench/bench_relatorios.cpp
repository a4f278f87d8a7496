// Formulários impressos: ler da base uma declaração com 300 linhas de outras entradas por
// município (todas de mudança de município), 27 linhas de GI em cada sentido e três
// entregas, montar os seis formulários e gravá-los em PDF (meta: menos de 1 s).
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include "data/fb/Comando.h"
#include "data/fb/Transacao.h"
#include "reports/DadosImpressao.h"
#include "reports/Formularios.h"

#include "DeclaracaoGrande.h"

using namespace kov;

namespace {

// A declaração grande com as tabelas de referência que os formulários consultam.
struct Base : bench::DeclaracaoGrande {
    TabelasReferencia ref;
    Base() : DeclaracaoGrande("kov-bench-rel-", true) {
        fb::Transacao tr(c);
        fb::Comando m(tr, "SELECT CODDRUMUNICIPIO, DESCRICAO FROM MUNICIPIO");
        while (m.proximo()) ref.cdsMunicipio.push_back({static_cast<int>(m.coluna(0).inteiro()), 0, m.coluna(1).texto()});
        fb::Comando o(tr, "SELECT TIPOOPERACAO_ID, DESCRICAO FROM TIPOOPERACAO");
        while (o.proximo()) ref.cdsTipoOperacao.push_back({static_cast<int>(o.coluna(0).inteiro()), o.coluna(1).texto()});
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
