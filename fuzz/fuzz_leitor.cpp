// Alvo libFuzzer: o leitor dos arquivos de declaração até a fronteira da base. A entrada é o
// texto claro do bloco de dados (de <contribuinte> a </documento>), cifrado com as chaves de
// teste e montado num arquivo com um cabeçalho válido; a restauração inteira roda sobre uma
// base em memória: leitura e conferência do XML, decifração, cópia de trabalho, cada valor
// lido e as regras da gravação (seções, totais, linhas da GI e dos municípios, entregas).
//
// O primeiro byte escolhe a variação: bit 0 a geração do formato, bit 1 se a declaração do
// período já existe (a restauração a substitui), bit 2 o ano corrente igual ao ano base, bit 7
// o modo cru (o resto é o arquivo inteiro, sem cifrar: XML hostil por fora do bloco).
//
// Nenhuma entrada derruba o programa; numa restauração aceita a declaração gravada tem as
// seções todas. (Totais que passam de NUMERIC(15,2) são recusados pela base, do outro lado
// da fronteira, com a transação desfeita.)
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "ApoioFuzz.h"
#include "data/Cadastros.h"
#include "data/Declaracao.h"
#include "data/RegrasDeclaracao.h"
#include "files/CifraRSA.h"
#include "files/untManipula_XML.h"
#include "files/untRestauraXmlKOV.h"

namespace {

constexpr int CONTRIBUINTE = 1, DECLARACAO_EXISTENTE = 7;
const char* const IE = "9876543210979";

// A base do outro lado da fronteira: um contribuinte cadastrado, o ano base 2016, os regimes
// e alguns municípios da base entregue, e (quando pedido) uma declaração do ano inteiro.
class BaseEmMemoria : public kov::BaseRestauracao {
public:
    explicit BaseEmMemoria(bool comExistente) : comExistente_(comExistente) {}

    std::string contribuintePorIE(const std::string& ie) override {
        if (ie == IE) return std::to_string(CONTRIBUINTE);
        const auto it = inseridos_.find(ie);
        return it == inseridos_.end() ? std::string() : std::to_string(it->second);
    }
    void inserirContribuinte(kov::Contribuinte& c) override {
        c.CONTRIBUINTE_ID = 100 + static_cast<int>(inseridos_.size());
        inseridos_[c.INSCESTADUAL] = c.CONTRIBUINTE_ID;
    }
    kov::Contribuinte carregarContribuinte(int id) override {
        kov::Contribuinte c = kov::NovoContribuinte();
        c.CONTRIBUINTE_ID = id;
        c.INSCESTADUAL = IE;
        c.CNAEF_ID = "4711301";
        c.DESMEMBRAMENTO = "00";
        c.RESPONSAVEL_ID = 3;
        return c;
    }
    std::string anoExercicio() override { return "2016"; }
    std::optional<int> declaracaoDoPeriodo(int contribuinte, int ano, int mesInicial, int mesFinal) override {
        if (comExistente_ && contribuinte == CONTRIBUINTE && ano == 2016 && mesInicial == 1 && mesFinal == 12)
            return DECLARACAO_EXISTENTE;
        return std::nullopt;
    }
    kov::Declaracao carregarDeclaracao(int id) override {
        kov::Declaracao d = kov::NovaDeclaracao("2016");
        d.doc.DOCUMENTO_ID = id;
        d.doc.CONTRIBUINTE_ID = CONTRIBUINTE;
        d.doc.REGIME_ID = 1;
        d.salvo = d.doc;
        kov::CriarSecoesQueFaltam(d);
        kov::GIEntrada gi{};
        kov::ZerarCampos(gi);
        gi.UF_ID = "MG";
        d.giEntrada.push_back(gi);
        kov::DetalhamentoEntrada m{};
        kov::ZerarCampos(m);
        m.CODDRUMUNICIPIO = 49145;
        m.MUDANCAMUNICIPIO = "N";
        d.detalhamentoEntrada.push_back(m);
        return d;
    }
    int novaChaveDeclaracao() override { return 8; }
    std::string regimeDoCodigo(const std::string& codigo) override {
        static const std::map<std::string, std::string> regimes{{"1", "1"},  {"2", "2"},  {"51", "3"}, {"3", "4"},
                                                                {"52", "5"}, {"53", "5"}, {"54", "6"}, {"55", "6"}};
        const auto it = regimes.find(codigo);
        return it == regimes.end() ? std::string() : it->second;
    }
    std::vector<int> municipios() override { return {51, 9364, 49145, 49146}; }
    void escreverDeclaracao(kov::Declaracao& d) override { escrita_ = d; }
    std::vector<kov::Entrega> entregas(int) override { return entregas_; }
    std::optional<kov::Entrega> entregaDoProtocolo(const std::string& p) override {
        for (const auto& e : entregas_)
            if (e.PROTOCOLO == p) return e;
        return std::nullopt;
    }
    void gravarEntrega(kov::Entrega& e) override {
        if (e.TRANSMISSAO_ID == 0) e.TRANSMISSAO_ID = 1 + static_cast<int>(entregas_.size());
        entregas_.push_back(e);
    }
    void confirmar() override { confirmada_ = true; }
    void desfazer() override {}

    bool confirmada() const { return confirmada_; }
    const std::optional<kov::Declaracao>& escrita() const { return escrita_; }

private:
    bool comExistente_;
    bool confirmada_ = false;
    std::map<std::string, int> inseridos_;
    std::vector<kov::Entrega> entregas_;
    std::optional<kov::Declaracao> escrita_;
};

std::string pasta;

void conferirGravada(const kov::Declaracao& d) {
    if (!d.estoque || !d.despesas || !d.resultado || !d.entrada || !d.saida || !d.kov || !d.exclusoes ||
        d.detalhamentoES.size() != 6)
        kov::fuzz::Falhar("declaração gravada sem todas as seções");
    for (int tipo = 1; tipo <= 6; ++tipo)
        if (d.detalhamentoES[static_cast<size_t>(tipo - 1)].TIPOOPERACAO_ID != tipo)
            kov::fuzz::Falhar("tipos de operação fora de ordem");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    pasta = kov::fuzz::PastaDeTrabalho("leitor");
    kov::fuzz::CopiarChavesDeTeste(pasta);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
    if (tamanho == 0) return 0;
    const uint8_t opcoes = dados[0];
    const std::string resto(reinterpret_cast<const char*>(dados) + 1, tamanho - 1);
    const std::string arquivo = pasta + "entrada.xml";
    if (opcoes & 0x80) {
        kov::fuzz::GravarBytes(arquivo, resto);
    } else {
        kov::TInfCabecalho cab;
        cab.tipo_identificador = "IE";
        cab.identificador = IE;
        cab.tipo_arquivo = "3";
        cab.versao_programa_gerador = opcoes & 1 ? "7.00.02" : "7.07.10";  // as duas gerações
        cab.data_inicial = {std::chrono::year{2016} / 1 / 1, 0, 0, 0};
        cab.data_final = {std::chrono::year{2016} / 12 / 31, 0, 0, 0};
        cab.indicativo_substituicao = "N";
        try {
            kov::MontarArquivoDeclaracao(arquivo, cab, kov::CifrarLinhas({resto}, pasta) + "\r\n");
        } catch (const kov::ErroSistema&) {
            return 0;  // o bloco não forma XML: o escritor recusa, não há arquivo a ler
        }
    }
    kov::fuzz::InteracaoMuda ui;
    BaseEmMemoria base(opcoes & 2);
    std::optional<int> chave;
    try {
        chave = kov::ImportarArquivoDeclaracao(base, ui, pasta, opcoes & 4 ? 2016 : 2026, arquivo);
    } catch (const kov::ErroSistema&) {
        // só os erros da cópia de trabalho chegam aqui
    }
    if (std::getenv("KOV_FUZZ_MOSTRAR")) std::fprintf(stderr, "restaurada: %d\n", chave.value_or(0));
    if (chave) {
        if (!base.confirmada() || !base.escrita()) kov::fuzz::Falhar("restauração aceita sem gravar");
        conferirGravada(*base.escrita());
    }
    return 0;
}
