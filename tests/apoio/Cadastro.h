#pragma once
// Registros prontos para os testes que precisam de um contribuinte na base.
#include <string>

#include "data/Registros.h"

namespace kov::teste {

// Contribuinte de QZ, tipo 1, CNAE-F 4711301/00, inscrição 1234567890107, CEP e CNPJ
// preenchidos e sem responsável (0). Os testes mudam só o que lhes interessa.
Contribuinte ContribuinteDeTeste(int id, int municipio, const std::string& razaoSocial = "Comércio Ação Ltda");

// A n-ésima inscrição válida de QZ (n de 0 a 99.999.999.999): n com 11 dígitos e os dois
// verificadores.
std::string InscricaoValida(long long n);

// Planilha de contribuintes (CSV com cabeçalho) com 'n' linhas: a linha do registro k (1 a
// n, linha k + 1 do arquivo) tem a razão social "Empresa k" e a inscrição InscricaoValida(k),
// o responsável e o município pelos códigos. Com 'invalidaACada', os registros múltiplos
// dele têm a inscrição com o último dígito errado ("Inscrição Estadual inválida!").
std::string PlanilhaContribuintes(int n, int responsavel, int municipio, int invalidaACada = 0);

}  // namespace kov::teste
