#include "apoio/Cadastro.h"

#include <string>

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

}  // namespace kov::teste
