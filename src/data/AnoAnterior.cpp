#include "data/AnoAnterior.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "data/Cadastros.h"
#include "data/Consistencia.h"
#include "data/Parametros.h"
#include "data/RegrasCabecalho.h"
#include "data/RegrasDeclaracao.h"
#include "data/dmPrincipal.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "platform/Interacao.h"

namespace kov {

namespace {

// Guarda a última mensagem das regras em vez de mostrá-la: ela vira o motivo do pulo.
class InteracaoMotivo : public Interacao {
public:
    void mensagem(TipoMensagem, const std::string&, const std::string& texto) override { motivo = texto; }
    bool pergunta(const std::string&, const std::string& texto) override {
        motivo = texto;
        return false;
    }
    std::string motivo;
};

struct AnosDaBase {
    std::string anoBase;
    int base = 0;
    // Última declaração do ano anterior (maior mês final) por contribuinte
    std::map<int, LinhaListaDeclaracao> anteriores;
    std::set<int> comDeclaracaoNoAno;
};

AnosDaBase lerAnos(Tdm& dm) {
    AnosDaBase a;
    a.anoBase = Aparar(dm.LerParametro("ANOEXERCICIO"));
    a.base = AnoComoInteiro(a.anoBase);
    for (auto& l : ListarDeclaracoes(dm.MainConnection, std::to_string(a.base - 1))) {
        const int ct = l.doc.CONTRIBUINTE_ID.value_or(0);
        auto it = a.anteriores.find(ct);
        if (it == a.anteriores.end() || l.MESFINAL > it->second.MESFINAL ||
            (l.MESFINAL == it->second.MESFINAL && l.DOCUMENTO_ID > it->second.DOCUMENTO_ID))
            a.anteriores[ct] = std::move(l);
    }
    for (const auto& l : ListarDeclaracoes(dm.MainConnection, a.anoBase))
        a.comDeclaracaoNoAno.insert(l.doc.CONTRIBUINTE_ID.value_or(0));
    return a;
}

std::string descricaoRegime(const Tdm& dm, int regime) {
    for (const auto& r : dm.ref.cdsRegime)
        if (r.REGIME_ID == regime) return std::to_string(regime) + " - " + r.DESCRICAO;
    return std::to_string(regime);
}

// A declaração nova a partir da última do ano anterior; vazio com o motivo quando uma
// regra a recusa antes da gravação.
std::optional<Declaracao> montar(Tdm& dm, const AnosDaBase& anos, const Declaracao& anterior,
                                 const Contribuinte& ct, std::string& motivo) {
    const int regime = anterior.doc.REGIME_ID.value_or(0);
    const auto oferecidos = RegimesDoAnoBase(dm.ref.cdsRegime, anos.base);
    if (std::none_of(oferecidos.begin(), oferecidos.end(), [&](const LinhaRegime& r) { return r.REGIME_ID == regime; })) {
        motivo = "O regime " + descricaoRegime(dm, regime) + " não é oferecido no ano base " + anos.anoBase + ".";
        return std::nullopt;
    }
    Declaracao d = NovaDeclaracao(anos.anoBase);
    EscolherContribuinte(d, ct);  // CNAE, desmembramento e tipo como o cadastro tem hoje
    d.doc.REGIME_ID = regime;
    d.doc.CODDRUMUNICIPIO = anterior.doc.CODDRUMUNICIPIO;
    d.doc.ESCRITACONTABIL = anterior.doc.ESCRITACONTABIL.empty() ? "N" : anterior.doc.ESCRITACONTABIL;
    d.doc.TIPORECOLHIMENTO_ID = anterior.doc.TIPORECOLHIMENTO_ID;
    const EstadoApuracao apuracao = ApuracaoDoRegime(d.doc.REGIME_ID, d.doc.TIPORECOLHIMENTO_ID);
    if (!apuracao.habilitada) d.doc.TIPORECOLHIMENTO_ID = 0;
    else if (apuracao.escrever) d.doc.TIPORECOLHIMENTO_ID = apuracao.escolha;
    d.doc.MESINICIAL = 1;
    d.doc.MESFINAL = 12;
    // O estoque inicial do ano é o estoque final do ano anterior; o resto fica vazio
    Estoque e{};
    ZerarCampos(e);
    if (anterior.estoque) {
        e.INITRIBUTADOS = v(anterior.estoque->FIMTRIBUTADOS);
        e.INISST = v(anterior.estoque->FIMSST);
        e.INIISENTO = v(anterior.estoque->FIMISENTO);
        e.INIOUTROS = v(anterior.estoque->FIMOUTROS);
    }
    d.estoque = e;
    return d;
}

}  // namespace

std::vector<CandidatoAnoAnterior> CandidatosDoAnoAnterior(Tdm& dm) {
    const AnosDaBase anos = lerAnos(dm);
    std::vector<CandidatoAnoAnterior> v;
    for (const auto& [ct, l] : anos.anteriores)
        if (!anos.comDeclaracaoNoAno.count(ct)) v.push_back({ct, l.INSCESTADUAL, l.RAZAOSOCIAL});
    std::sort(v.begin(), v.end(), [](const auto& a, const auto& b) { return a.INSCESTADUAL < b.INSCESTADUAL; });
    return v;
}

std::vector<ResultadoAnoAnterior> TrazerDoAnoAnterior(Tdm& dm, const std::vector<int>& contribuintes,
                                                      const std::function<void(size_t, size_t)>& progresso) {
    if (!dm.ref.abertas) dm.AbrirReferencias();
    AnosDaBase anos = lerAnos(dm);
    const int anoCorrente = AnoAtual();
    fb::ReusoDeComandos reuso(dm.MainConnection);
    const std::vector<LinhaCNAEF> cnaef = dm.CNAEFDoAnoBase(anos.anoBase);
    std::vector<ResultadoAnoAnterior> resultados;
    resultados.reserve(contribuintes.size());

    // As declarações vão em lotes, cada lote numa transação, e cada declaração dentro do
    // seu ponto de salvamento: uma recusa desfaz só ela (inteira, com o seu status), e o
    // custo das escritas síncronas da confirmação é dividido pelo lote. Uma falha na
    // confirmação desfaz o lote, e as declarações dele são ditas como não criadas.
    constexpr size_t LOTE = 100;
    std::optional<fb::Transacao> tr;
    std::vector<size_t> doLote;
    auto confirmar = [&] {
        if (!tr) return;
        try {
            tr->commit();
        } catch (const std::exception& e) {
            for (size_t i : doLote) {
                resultados[i].chave.reset();
                resultados[i].motivo = e.what();
                anos.comDeclaracaoNoAno.erase(resultados[i].CONTRIBUINTE_ID);
            }
        }
        tr.reset();
        doLote.clear();
    };

    for (int id : contribuintes) {
        ResultadoAnoAnterior r;
        r.CONTRIBUINTE_ID = id;
        try {
            const Contribuinte ct = CarregarContribuinte(dm.MainConnection, id);
            r.INSCESTADUAL = ct.INSCESTADUAL;
            r.RAZAOSOCIAL = ct.RAZAOSOCIAL;
            const auto anterior = anos.anteriores.find(id);
            if (anos.comDeclaracaoNoAno.count(id)) {
                r.jaTinha = true;
                r.motivo = "Já tem declaração no ano base " + anos.anoBase + ".";
            } else if (anterior == anos.anteriores.end()) {
                r.motivo = "Sem declaração em " + std::to_string(anos.base - 1) + ".";
            } else if (auto d = montar(dm, anos, CarregarDeclaracao(dm.MainConnection, anterior->second.DOCUMENTO_ID),
                                       ct, r.motivo)) {
                InteracaoMotivo regras;
                if (!ConferirAntesDeGravar(dm.MainConnection, *d, anos.base, anoCorrente, regras)) {
                    r.motivo = regras.motivo;
                } else {
                    if (!tr) tr.emplace(dm.MainConnection);
                    fb::Comando::executarDireto(*tr, "SAVEPOINT ANO_ANTERIOR");
                    try {
                        SalvarDeclaracao(*tr, dm.MainConnection, *d, ct, anoCorrente, anos.anoBase);
                        MarcarComoGravada(*d);
                        ListasConsistencia listas;
                        const int status = ConsistirDocumento(
                            *tr, *d, {dm.MainConnection, ct, dm.ref.cdsConsistencias, cnaef}, listas);
                        fb::Comando::executarDireto(*tr, "RELEASE SAVEPOINT ANO_ANTERIOR");
                        r.chave = d->doc.DOCUMENTO_ID;
                        r.consistente = status == STATUS_CONSISTENTE;
                    } catch (...) {
                        fb::Comando::executarDireto(*tr, "ROLLBACK TO SAVEPOINT ANO_ANTERIOR");
                        throw;
                    }
                    anos.comDeclaracaoNoAno.insert(id);
                    doLote.push_back(resultados.size());
                }
            }
        } catch (const Abortar&) {
            if (r.motivo.empty()) r.motivo = "Recusada pelas regras da declaração.";
        } catch (const std::exception& e) {
            r.motivo = e.what();  // desfeita até o ponto de salvamento: nada da declaração fica
        }
        resultados.push_back(std::move(r));
        if (doLote.size() >= LOTE) confirmar();
        if (progresso) progresso(resultados.size(), contribuintes.size());
    }
    confirmar();
    return resultados;
}

}  // namespace kov
