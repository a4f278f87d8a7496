#include "reports/DadosImpressao.h"

#include "data/Cadastros.h"
#include "data/dmPrincipal.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"

namespace kov::relatorios {

std::string DadosImpressao::nomeMunicipio(std::optional<int> codigo) const {
    if (!codigo) return {};
    auto it = municipios.find(*codigo);
    return it == municipios.end() ? std::string() : it->second;
}

std::string DadosImpressao::descricaoTipoOperacao(int tipo) const {
    auto it = tiposOperacao.find(tipo);
    return it == tiposOperacao.end() ? std::string() : it->second;
}

DadosImpressao CarregarDadosImpressao(fb::Conexao& c, const TabelasReferencia& ref, int documentoId) {
    DadosImpressao r;
    auto tr = fb::Transacao::leitura(c);
    r.d = CarregarDeclaracao(tr, documentoId);
    if (r.d.doc.CONTRIBUINTE_ID) r.contribuinte = CarregarContribuinte(tr, *r.d.doc.CONTRIBUINTE_ID);
    r.responsavel = LerResponsavel(tr, r.contribuinte.RESPONSAVEL_ID.value_or(0));
    r.entregas = LerEntregas(tr, documentoId);
    tr.commit();
    for (const auto& m : ref.cdsMunicipio) r.municipios[m.CODDRUMUNICIPIO] = m.DESCRICAO;
    for (const auto& t : ref.cdsTipoOperacao) r.tiposOperacao[t.TIPOOPERACAO_ID] = t.DESCRICAO;
    for (const auto& t : ref.cdsTipoContribuinte)
        if (r.contribuinte.TIPOCONTRIBUINTE_ID == t.TIPOCONTRIBUINTE_ID) r.TITULO_CONTRIBUINTE = t.TITULO;
    r.MUNICIPIO_CONTRIBUINTE = r.nomeMunicipio(r.contribuinte.CODDRUMUNICIPIO);
    return r;
}

DadosImpressao CarregarDadosImpressao(Tdm& dm, int documentoId) {
    DadosImpressao r = CarregarDadosImpressao(dm.MainConnection, dm.ref, documentoId);
    r.ANOEXERCICIO = dm.LerParametro("ANOEXERCICIO");
    return r;
}

}  // namespace kov::relatorios
