#pragma once
// Registros prontos para os testes que precisam de um contribuinte na base.
#include <string>
#include <vector>

#include "data/Registros.h"

namespace kov::fb { class Conexao; }

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

// Um responsável (chave 1) e 'n' contribuintes (chaves 1 a n, inscrições InscricaoValida(1..n),
// razão social "Empresa k") com uma declaração cada, regime 1, meses 1 a 12 do ano, que a
// consistência aceita, gravada com STATUS_ID 2. Devolve as chaves das declarações em ordem.
std::vector<int> DeclaracoesParaEntrega(fb::Conexao& c, int n, const std::string& ano,
                                        std::vector<Contribuinte>* contribuintes = nullptr);

}  // namespace kov::teste
