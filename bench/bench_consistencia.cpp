// A consistência como o verbo "declaracoes consistir" a roda, pelo módulo de dados sobre uma
// instalação que o benchmark monta: uma declaração (carregar, conferir, gravar o status;
// meta: menos de 5 ms) e o lote das 1.000 declarações do ano base (meta: menos de 5 s).
// Antes de cada rodada os status voltam a 0, para que cada consistência grave o seu.
// Também o começo do ano seguinte a partir dessas 1.000 declarações (meta: menos de 10 s).
// Ao lado da consistência de uma declaração, a leitura crua das linhas dela (sem montar o
// agregado nem conferir nada): o piso de acesso à base, contra o qual bench/run mostra a razão.
// A base tem ainda 9.000 declarações de 2015, para somar 10.000.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "DeclaracaoGrande.h"
#include "data/AnoAnterior.h"
#include "data/Consistencia.h"
#include "data/CriarBase.h"
#include "data/Declaracao.h"
#include "data/Figuras.h"
#include "data/LinhasBanco.h"
#include "data/RegrasDeclaracao.h"
#include "data/dmPrincipal.h"
#include "data/fb/Comando.h"
#include "data/fb/Transacao.h"
#include "platform/Interacao.h"

namespace fs = std::filesystem;
using namespace kov;

namespace {

constexpr int DECLARACOES = 1000;

class InteracaoMuda : public Interacao {
public:
    int mensagens = 0;
    void mensagem(TipoMensagem, const std::string&, const std::string&) override { ++mensagens; }
    bool pergunta(const std::string&, const std::string&) override { return true; }
};

// Uma declaração de débito/crédito com movimento: os seis tipos de operação, GI de entradas e
// de saídas em cinco estados e dez municípios de outras entradas.
Declaracao declaracaoTipica(int id, int contribuinte, const std::vector<int>& municipios) {
    Declaracao d = NovaDeclaracao("2016");
    d.doc.DOCUMENTO_ID = id;
    d.doc.CONTRIBUINTE_ID = contribuinte;
    d.doc.REGIME_ID = 1;
    d.doc.TIPOCONTRIBUINTE_ID = 1;
    d.doc.CNAEF_ID = "4711301";
    d.doc.DESMEMBRAMENTO = "00";
    d.doc.CODDRUMUNICIPIO = municipios.front();
    d.doc.MESINICIAL = 1;
    d.doc.MESFINAL = 12;
    CriarSecoesQueFaltam(d);
    // Entradas de outros estados (tipo 2) e saídas para outros estados (tipo 5) iguais à GI
    for (auto& l : d.detalhamentoES) {
        const int64_t fator = l.TIPOOPERACAO_ID == 2 ? 5 : l.TIPOOPERACAO_ID == 5 ? 10 : l.TIPOOPERACAO_ID;
        l.VCCOMPRAVENDA = Dinheiro::deReais(1000 * fator);
        l.BCCOMPRAVENDA = Dinheiro::deReais(800 * fator);
        l.ICMSCOMPRAVENDA = Dinheiro::deReais(96 * fator);
    }
    for (const char* uf : {"BA", "MG", "PR", "RS", "SP"}) {
        GIEntrada& e = d.giEntrada.emplace_back();
        GISaidas& s = d.giSaidas.emplace_back();
        ZerarCampos(e);
        ZerarCampos(s);
        e.UF_ID = s.UF_ID = uf;
        e.VALORCONTABIL = Dinheiro::deReais(1000);
        e.BASECALCULO = Dinheiro::deReais(800);
        s.VALORCONTABILCONT = Dinheiro::deReais(2000);
        s.BASECALCULOCONT = Dinheiro::deReais(1600);
    }
    Dinheiro outras;
    for (size_t i = 0; i < 10; ++i) {
        DetalhamentoEntrada m = NovaLinhaDetalhamentoEntrada("N");
        m.CODDRUMUNICIPIO = municipios.at(i);
        m.VALOR = Dinheiro::deCentavos(5000 + static_cast<int64_t>(i));
        outras += *m.VALOR;
        d.detalhamentoEntrada.push_back(m);
    }
    d.kov->OUTRASENTRADAS = outras;
    TotaisAntesDeGravar(d);
    TotalizarEntradasSaidas(d);
    CalcularKOV(d);
    return d;
}

struct Instalacao {
    fs::path raiz = fs::temp_directory_path() / ("kov-bench-" + std::to_string(std::random_device{}()));
    InteracaoMuda ui;
    std::unique_ptr<Tdm> dm;

    Instalacao() {
        fs::create_directories(raiz / "EXE");
        fs::create_directories(raiz / "BD");
        std::ofstream(raiz / "EXE" / "KOV.ini") << "[KOV]\nDatabase=..\\BD\\KOV.GDB\n";
        criarBase((raiz / "BD" / "KOV.GDB").string());
        dm = std::make_unique<Tdm>(ui, (raiz / "EXE").string());
        dm->DataModuleCreate();
        if (ui.mensagens || !dm->conectado()) throw std::runtime_error("o módulo de dados não abriu");
        fb::Conexao& c = dm->MainConnection;
        std::vector<int> municipios;
        {
            fb::Transacao tr(c);
            fb::Comando m(tr, "SELECT FIRST 10 CODDRUMUNICIPIO FROM MUNICIPIO ORDER BY CODDRUMUNICIPIO");
            while (m.proximo()) municipios.push_back(static_cast<int>(m.coluna(0).inteiro()));
            Responsavel r;
            r.RESPONSAVEL_ID = 1;
            r.NOME = "Contadora";
            InserirLinhas(tr, std::vector<Responsavel>{r});
            // Um contribuinte por declaração, como na carteira de um escritório de contabilidade
            fb::Comando::executarDireto(
                tr, "EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN WHILE (I <= " + std::to_string(DECLARACOES) +
                        ") DO BEGIN INSERT INTO CONTRIBUINTE (CONTRIBUINTE_ID, CNAEF_ID, DESMEMBRAMENTO, "
                        "CODDRUMUNICIPIO, UF_ID, TIPOCONTRIBUINTE_ID, RAZAOSOCIAL, CEP, INSCESTADUAL, CNPJ, "
                        "RESPONSAVEL_ID) VALUES (:I, '4711301', '00', " +
                        std::to_string(municipios.front()) +
                        ", 'QZ', 1, 'Contribuinte ' || :I, '12345678', '1234567890107', '12345678000199', 1); "
                        "I = I + 1; END END");
            tr.commit();
        }
        for (int i = 1; i <= DECLARACOES; ++i) {
            Declaracao d = declaracaoTipica(i, i, municipios);
            GravarDeclaracao(c, d);
        }
        bench::EncherDeclaracoes(c, 10000 - DECLARACOES, 100000, 2015, municipios.front());
    }
    ~Instalacao() {
        dm.reset();
        fs::remove_all(raiz);
    }

    void statusDeVoltaAZero() {
        fb::Transacao tr(dm->MainConnection);
        fb::Comando::executarDireto(tr, "UPDATE DOCUMENTO SET STATUS_ID = 0");
        tr.commit();
    }
};

Instalacao& instalacao() {
    static Instalacao i;
    return i;
}

void BM_ConsistirUmaDeclaracao(benchmark::State& state) {
    auto& inst = instalacao();
    ListasConsistencia listas;
    int id = 0;
    for (auto _ : state) {
        state.PauseTiming();
        id = id % DECLARACOES + 1;
        {
            fb::Transacao tr(inst.dm->MainConnection);
            fb::Comando zera(tr, "UPDATE DOCUMENTO SET STATUS_ID = 0 WHERE DOCUMENTO_ID = :ID");
            zera.param("ID", id).executar();
            tr.commit();
        }
        listas.esvaziar();
        state.ResumeTiming();
        if (ConsistirDocumento(*inst.dm, id, listas) != STATUS_CONSISTENTE)
            state.SkipWithError("declaração típica inconsistente");
    }
}
BENCHMARK(BM_ConsistirUmaDeclaracao)->Unit(benchmark::kMillisecond);

// As linhas da declaração como a consistência as encontra na base: o cabeçalho, as entregas, as
// sete seções de uma linha e as de várias linhas, cada coluna lida, numa transação de leitura.
void BM_LerLinhasDeUmaDeclaracao(benchmark::State& state) {
    auto& inst = instalacao();
    static const char* const tabelas[] = {"DOCUMENTO", "TRANSMISSAO", "ESTOQUE", "DESPESASOPERACIONAIS",
                                          "DEMOSTRACAORESULTADOOPERACIONAL", "ENTRADA", "SAIDA", "KOV", "EXCLUSOESKOV",
                                          "DETALHAMENTOES", "GIENTRADA", "GISAIDAS", "DETALHAMENTOENTRADA"};
    int id = 0;
    for (auto _ : state) {
        id = id % DECLARACOES + 1;
        auto tr = fb::Transacao::leitura(inst.dm->MainConnection);
        size_t valores = 0;
        for (const char* t : tabelas) {
            fb::Comando q(tr, std::string("SELECT * FROM ") + t + " WHERE DOCUMENTO_ID = :ID");
            q.param("ID", id);
            while (q.proximo())
                for (int i = 0; i < q.colunas(); ++i) valores += !q.coluna(i).nulo();
        }
        if (valores == 0) state.SkipWithError("declaração sem linhas");
        benchmark::DoNotOptimize(valores);
    }
}
BENCHMARK(BM_LerLinhasDeUmaDeclaracao)->Unit(benchmark::kMillisecond);

// O lote do verbo: a lista do ano base e a consistência de cada declaração dela.
void BM_Consistir1000Declaracoes(benchmark::State& state) {
    auto& inst = instalacao();
    for (auto _ : state) {
        state.PauseTiming();
        inst.statusDeVoltaAZero();
        state.ResumeTiming();
        ListasConsistencia listas;
        listas.esvaziar();
        int consistentes = 0;
        for (const auto& l : ListarDeclaracoes(inst.dm->MainConnection, inst.dm->LerParametro("ANOEXERCICIO")))
            consistentes += ConsistirDocumento(*inst.dm, l.DOCUMENTO_ID, listas) == STATUS_CONSISTENTE;
        if (consistentes != DECLARACOES) state.SkipWithError("lote incompleto ou inconsistente");
    }
}
BENCHMARK(BM_Consistir1000Declaracoes)->Unit(benchmark::kMillisecond)->Iterations(2);

// "Trazer do ano anterior" para os 1.000 contribuintes: no ano base 2017, uma declaração de
// cada um a partir da de 2016, gravada e consistida. Antes de cada rodada as de 2017 saem.
void BM_TrazerDoAnoAnterior1000(benchmark::State& state) {
    auto& inst = instalacao();
    Tdm& dm = *inst.dm;
    const std::string anoBase = dm.LerParametro("ANOEXERCICIO");
    dm.GravarParametro("ANOEXERCICIO", std::to_string(AnoComoInteiro(anoBase) + 1));
    for (auto _ : state) {
        state.PauseTiming();
        for (const auto& l : ListarDeclaracoes(dm.MainConnection, dm.LerParametro("ANOEXERCICIO")))
            ExcluirDeclaracao(dm.MainConnection, l.DOCUMENTO_ID);
        std::vector<int> ids;
        for (const auto& c : CandidatosDoAnoAnterior(dm)) ids.push_back(c.CONTRIBUINTE_ID);
        state.ResumeTiming();
        size_t criadas = 0;
        std::string motivo;
        for (const auto& r : TrazerDoAnoAnterior(dm, ids)) {
            criadas += r.chave.has_value();
            if (!r.chave && motivo.empty()) motivo = r.motivo;
        }
        if (criadas != DECLARACOES) state.SkipWithError(("nem todas as declarações foram criadas: " + motivo).c_str());
    }
    dm.GravarParametro("ANOEXERCICIO", anoBase);
}
BENCHMARK(BM_TrazerDoAnoAnterior1000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
