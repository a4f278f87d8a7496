#include "apoio/Cadastro.h"

#include "data/RegrasDeclaracao.h"

#include <string>

#include "data/LinhasBanco.h"
#include "data/RegrasDeclaracao.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "platform/ValidadorIE.h"

namespace kov::teste {

Contribuinte ContribuinteDeTeste(int id, int municipio, const std::string& razaoSocial) {
    Contribuinte ct;
    ct.CONTRIBUINTE_ID = id;
    ct.CNAEF_ID = "4711301";
    ct.DESMEMBRAMENTO = "00";
    ct.CODDRUMUNICIPIO = municipio;
    ct.UF_ID = "QZ";
    ct.TIPOCONTRIBUINTE_ID = 1;
    ct.RAZAOSOCIAL = razaoSocial;
    ct.CEP = "12345678";
    ct.INSCESTADUAL = "1234567890107";
    ct.RESPONSAVEL_ID = 0;
    ct.CNPJ = "12345678000199";
    return ct;
}

std::string InscricaoValida(long long n) {
    std::string base = std::to_string(n);
    base.insert(0, 11 - base.size(), '0');
    for (int d = 0; d < 100; ++d) {
        const std::string ie = base + static_cast<char>('0' + d / 10) + static_cast<char>('0' + d % 10);
        if (ConsisteInscricaoEstadual(ie, "QZ") == IE_VALIDA) return ie;
    }
    return {};
}

std::string PlanilhaContribuintes(int n, int responsavel, int municipio, int invalidaACada) {
    std::string csv =
        "INSCESTADUAL;RAZAOSOCIAL;CNPJ;EMAIL;TIPOCONTRIBUINTE_ID;RESPONSAVEL;CNAEF_ID;CODDRUMUNICIPIO;CEP;DDD;"
        "TELEFONE\n";
    const std::string fim = ";12345678000199;e@x.com;1;" + std::to_string(responsavel) + ";4711301;" +
                            std::to_string(municipio) + ";12345678;11;33334444\n";
    for (int k = 1; k <= n; ++k) {
        std::string ie = InscricaoValida(k);
        if (invalidaACada > 0 && k % invalidaACada == 0) ie.back() = static_cast<char>('0' + (ie.back() - '0' + 1) % 10);
        csv += ie + ";Empresa " + std::to_string(k) + fim;
    }
    return csv;
}

std::vector<int> DeclaracoesParaEntrega(fb::Conexao& c, int n, const std::string& ano,
                                        std::vector<Contribuinte>* contribuintes) {
    std::vector<Contribuinte> cts;
    {
        fb::Transacao tr(c);
        fb::Comando m(tr, "SELECT MIN(CODDRUMUNICIPIO) FROM MUNICIPIO");
        m.proximo();
        const int municipio = static_cast<int>(m.coluna(0).inteiro());
        Responsavel r;
        r.RESPONSAVEL_ID = 1;
        r.NOME = "Contadora";
        InserirLinhas(tr, std::vector<Responsavel>{r});
        for (int i = 1; i <= n; ++i) {
            Contribuinte ct = ContribuinteDeTeste(i, municipio, "Empresa " + std::to_string(i));
            ct.INSCESTADUAL = InscricaoValida(i);
            ct.RESPONSAVEL_ID = 1;
            cts.push_back(ct);
        }
        InserirLinhas(tr, cts);
        tr.commit();
    }
    std::vector<int> ids;
    for (const auto& ct : cts) {
        Declaracao d = NovaDeclaracao(ano);
        DefinirContribuinte(d, ct);
        d.doc.REGIME_ID = 1;
        d.doc.TIPOCONTRIBUINTE_ID = 1;
        d.doc.CODDRUMUNICIPIO = ct.CODDRUMUNICIPIO;
        d.doc.MESINICIAL = 1;
        d.doc.MESFINAL = 12;
        SalvarDeclaracao(c, d, ct, 2026, ano);
        ids.push_back(d.doc.DOCUMENTO_ID);
    }
    fb::Transacao tr(c);
    for (int id : ids) {
        fb::Comando q(tr, "UPDATE DOCUMENTO SET STATUS_ID = 2 WHERE DOCUMENTO_ID = :ID");
        q.param("ID", id).executar();
    }
    tr.commit();
    if (contribuintes) *contribuintes = cts;
    return ids;
}

}  // namespace kov::teste
