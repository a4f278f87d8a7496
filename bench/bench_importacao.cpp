// Importação de contribuintes de uma planilha CSV, como `kov-cli contribuintes importar`:
// 20.000 linhas válidas numa base nova. Meta: menos de 5 s (uma confirmação por linha
// levava 42 s).
#include <benchmark/benchmark.h>

#include <optional>

#include "apoio/BaseTeste.h"
#include "apoio/Cadastro.h"
#include "apoio/InteracaoGravada.h"
#include "data/Cadastros.h"
#include "data/ImportacaoCadastros.h"
#include "data/fb/Conexao.h"

namespace {

// Base nova com um responsável e a planilha pronta no disco.
struct Cenario {
    kov::teste::PastaTemporaria pasta;
    kov::fb::Conexao c;
    std::string arquivo = (pasta.caminho() / "contribuintes.csv").string();
    explicit Cenario(int linhas) {
        kov::teste::copiarBaseModelo(pasta.caminho() / "KOV.GDB");
        kov::fb::ParametrosConexao p;
        p.banco = (pasta.caminho() / "KOV.GDB").string();
        c.abrir(p);
        kov::teste::InteracaoGravada ui;
        kov::Responsavel r = kov::NovoResponsavel();
        r.NOME = "Maria Contadora";
        r.DDD = "11";
        r.TELEFONE = "33334444";
        r.EMAIL = "maria@contab.com.br";
        kov::GravarResponsavel(c, r, ui);
        const int municipio = 49145;  // ALTO ALEGRE
        kov::teste::escreverArquivo(arquivo, kov::teste::PlanilhaContribuintes(linhas, r.RESPONSAVEL_ID, municipio));
    }
};

void BM_ImportarContribuintes(benchmark::State& state) {
    const int linhas = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        std::optional<Cenario> cenario(std::in_place, linhas);
        kov::teste::InteracaoGravada ui;
        state.ResumeTiming();
        auto planilha = kov::AbrirPlanilha(cenario->arquivo, kov::TipoCadastro::Contribuintes);
        const auto r = kov::ImportarContribuintes(cenario->c, planilha, ui);
        state.PauseTiming();
        if (r.importados != linhas || !ui.mensagens.empty()) state.SkipWithError("linhas recusadas");
        cenario.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * linhas);
}
BENCHMARK(BM_ImportarContribuintes)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
