#include "apoio/Cadastro.h"

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

}  // namespace kov::teste
