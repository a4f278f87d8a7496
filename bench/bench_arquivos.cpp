// O arquivo de declaração: escrever uma declaração com 300 linhas de outras entradas por
// município, 27 linhas de GI em cada sentido e três entregas com recibo, às claras e cifrada
// (meta: menos de 20 ms cada); conferir o verificador do arquivo escrito; decifrar o bloco;
// restaurar o arquivo cifrado (meta: menos de 20 ms).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "data/CriarBase.h"
#include "data/Declaracao.h"
#include "data/LinhasBanco.h"
#include "data/ReciboTexto.h"
#include "data/RegrasDeclaracao.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "files/CifraRSA.h"
#include "files/DocumentoXml.h"
#include "files/untGeraXmlKOV.h"
#include "files/untRestauraXmlKOV.h"
#include "platform/Interacao.h"
#include "platform/Memoria.h"

namespace fs = std::filesystem;
using namespace kov;

namespace {

class InteracaoMuda : public Interacao {
public:
    void mensagem(TipoMensagem, const std::string&, const std::string& texto) override { ultima = texto; }
    bool pergunta(const std::string&, const std::string&) override { return true; }
    std::string ultima;
};

// Toda coluna de valor com um valor diferente, com centavos (o caso mais longo no arquivo)
template <class L>
void preencher(L& l, int64_t& n) {
    for (const auto& c : L::colunas())
        if (auto m = std::get_if<Quantia L::*>(&c.membro)) l.*(*m) = Dinheiro::deCentavos(100000 + 37 * ++n);
}

struct Base {
    fs::path pasta = fs::temp_directory_path() / ("kov-bench-arq-" + std::to_string(std::random_device{}()));
    fb::Conexao c;
    InteracaoMuda ui;
    Declaracao d;
    Base() {
        fs::create_directories(pasta);
        criarBase((pasta / "KOV.GDB").string());
        fb::ParametrosConexao p;
        p.banco = (pasta / "KOV.GDB").string();
        c.abrir(p);
        GravarParChavesRSA(GerarParChavesRSA(), pasta.string());
        fb::Transacao tr(c);
        fb::Comando::executarDireto(tr,
                                    "EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < 300) DO BEGIN "
                                    "INSERT INTO MUNICIPIO VALUES (900000 + :I, 900000 + :I, 'MUNICÍPIO ' || :I); "
                                    "I = I + 1; END END");
        fb::Comando::executarDireto(tr,
                                    "INSERT INTO RESPONSAVEL (RESPONSAVEL_ID, NOME, DDD, TELEFONE, EMAIL) VALUES (1, "
                                    "'José D''Ávila', '11', '55551234', 'jose@exemplo.com.br')");
        fb::Comando::executarDireto(tr,
                                    "INSERT INTO CONTRIBUINTE (CONTRIBUINTE_ID, CNAEF_ID, DESMEMBRAMENTO, CODDRUMUNICIPIO, "
                                    "UF_ID, TIPOCONTRIBUINTE_ID, RAZAOSOCIAL, CEP, INSCESTADUAL, CNPJ, RESPONSAVEL_ID) "
                                    "VALUES (1, '4711301', '00', 900000, 'QZ', 1, 'Comércio Ação & Cia Ltda', "
                                    "'12345678', '1234567890107', '12345678000199', 1)");
        tr.commit();
        d = NovaDeclaracao("2016");
        d.doc.DOCUMENTO_ID = 1;
        d.doc.CONTRIBUINTE_ID = 1;
        d.doc.REGIME_ID = 1;
        d.doc.TIPOCONTRIBUINTE_ID = 1;
        d.doc.CNAEF_ID = "4711301";
        d.doc.DESMEMBRAMENTO = "00";
        d.doc.CODDRUMUNICIPIO = 900000;
        d.doc.MESINICIAL = 1;
        d.doc.MESFINAL = 12;
        CriarSecoesQueFaltam(d);
        int64_t n = 0;
        preencher(*d.estoque, n);
        preencher(*d.despesas, n);
        preencher(*d.resultado, n);
        preencher(*d.entrada, n);
        preencher(*d.saida, n);
        preencher(*d.kov, n);
        preencher(*d.exclusoes, n);
        for (auto& e : d.detalhamentoES) preencher(e, n);
        std::vector<std::string> ufs;
        {
            fb::Transacao t2(c);
            fb::Comando q(t2, "SELECT UF_ID FROM UF WHERE UF_ID <> 'QZ'");
            while (q.proximo()) ufs.push_back(q.coluna(0).texto());
        }
        for (const auto& uf : ufs) {
            GIEntrada e;
            e.UF_ID = uf;
            preencher(e, n);
            d.giEntrada.push_back(e);
            GISaidas s;
            s.UF_ID = uf;
            preencher(s, n);
            d.giSaidas.push_back(s);
        }
        for (int i = 0; i < 300; ++i) {
            DetalhamentoEntrada m = NovaLinhaDetalhamentoEntrada("N");
            m.CODDRUMUNICIPIO = 900000 + i;
            preencher(m, n);
            d.detalhamentoEntrada.push_back(m);
        }
        GravarDeclaracao(c, d);
        d = CarregarDeclaracao(c, 1);
        // Três entregas com o recibo da própria declaração
        std::map<int, std::string> nomes;
        for (int i = 0; i < 300; ++i) nomes[900000 + i] = "MUNICÍPIO " + std::to_string(i);
        const std::string recibo = GerarReciboTexto(d, nomes);
        fb::Transacao t3(c);
        for (int i = 1; i <= 3; ++i) {
            fb::Comando q(t3,
                          "INSERT INTO TRANSMISSAO (TRANSMISSAO_ID, DOCUMENTO_ID, DATA, HORA, PROTOCOLO, TIPOTRANSMISSAO, "
                          "STATUS, RECIBO) VALUES (:ID, 1, CURRENT_DATE, :HORA, :PROT, 'T', 1, :RECIBO)");
            q.param("ID", i).param("HORA", "10:0" + std::to_string(i) + ":00");
            q.param("PROT", "2017000000000000" + std::to_string(i)).param("RECIBO", fb::Valor::binario(recibo)).executar();
        }
        t3.commit();
    }
    ~Base() {
        c.fechar();
        fs::remove_all(pasta);
    }
    ContextoArquivo ctx() { return {c, ui, "7.07.10", pasta.string()}; }
};

Base& base() {
    static Base b;
    return b;
}

void gerar(benchmark::State& state, bool cifrar) {
    auto& b = base();
    const std::string caminho = (b.pasta / (cifrar ? "cifrado.xml" : "claro.xml")).string();
    for (auto _ : state) GerarArquivoDeclaracao(b.d, b.ctx(), caminho, cifrar);
    state.counters["bytes"] = static_cast<double>(fs::file_size(caminho));
}

void BM_GerarArquivo300Municipios(benchmark::State& state) { gerar(state, false); }
BENCHMARK(BM_GerarArquivo300Municipios)->Unit(benchmark::kMillisecond);

void BM_GerarArquivo300MunicipiosCifrado(benchmark::State& state) { gerar(state, true); }
BENCHMARK(BM_GerarArquivo300MunicipiosCifrado)->Unit(benchmark::kMillisecond);

void BM_ConferirVerificador300Municipios(benchmark::State& state) {
    auto& b = base();
    const std::string caminho = (b.pasta / "conferir.xml").string();
    GerarArquivoDeclaracao(b.d, b.ctx(), caminho, false);
    for (auto _ : state)
        if (!ConferirVerificador(caminho, b.ui)) state.SkipWithError("verificador não confere");
}
BENCHMARK(BM_ConferirVerificador300Municipios)->Unit(benchmark::kMillisecond);

void BM_DecifrarBloco300Municipios(benchmark::State& state) {
    auto& b = base();
    const std::string caminho = (b.pasta / "decifrar.xml").string();
    GerarArquivoDeclaracao(b.d, b.ctx(), caminho, true);
    const DocumentoXml doc = LerArquivoXml(caminho);
    const std::string texto = TextoElemento(FilhoElemento(doc.raiz(), "dados"));
    for (auto _ : state)
        if (DecifrarTexto(texto, b.pasta.string(), b.ui).empty()) state.SkipWithError(b.ui.ultima.c_str());
}
BENCHMARK(BM_DecifrarBloco300Municipios)->Unit(benchmark::kMillisecond);

// Restaurar o arquivo cifrado: decifrar, montar e ler a cópia de trabalho e gravar numa transação.
// "Nova": a declaração não está na base (tudo é inserido); "Substituida": a mesma declaração já
// está na base e só o que mudou é escrito.
void restaurar(benchmark::State& state, bool nova) {
    auto& b = base();
    const std::string caminho = (b.pasta / "restaurar.xml").string();
    GerarArquivoDeclaracao(b.d, b.ctx(), caminho, true);
    const ContextoRestauracao ctx{b.c, b.ui, b.pasta.string(), 2026};
    std::optional<int> chave = b.d.doc.DOCUMENTO_ID;
    for (auto _ : state) {
        if (nova) {
            state.PauseTiming();
            ExcluirDeclaracao(b.c, *chave);
            state.ResumeTiming();
        }
        chave = ImportarArquivoDeclaracao(ctx, caminho);
        if (!chave) {
            state.SkipWithError(b.ui.ultima.c_str());
            break;
        }
    }
    b.d = CarregarDeclaracao(b.c, *chave);
}

void BM_RestaurarArquivo300MunicipiosNova(benchmark::State& state) { restaurar(state, true); }
BENCHMARK(BM_RestaurarArquivo300MunicipiosNova)->Unit(benchmark::kMillisecond);

void BM_RestaurarArquivo300MunicipiosSubstituida(benchmark::State& state) { restaurar(state, false); }
BENCHMARK(BM_RestaurarArquivo300MunicipiosSubstituida)->Unit(benchmark::kMillisecond);

}  // namespace

// O mesmo ajuste de memória dos programas
int main(int argc, char** argv) {
    kov::AjustarAlocadorMemoria();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
