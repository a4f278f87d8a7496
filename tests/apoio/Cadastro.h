#pragma once
// Registros prontos para os testes que precisam de um contribuinte na base.
#include <string>

#include "data/Registros.h"

namespace kov::teste {

// Contribuinte de QZ, tipo 1, CNAE-F 4711301/00, inscrição 1234567890107, CEP e CNPJ
// preenchidos e sem responsável (0). Os testes mudam só o que lhes interessa.
Contribuinte ContribuinteDeTeste(int id, int municipio, const std::string& razaoSocial = "Comércio Ação Ltda");

}  // namespace kov::teste
