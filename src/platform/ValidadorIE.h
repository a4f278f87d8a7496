#pragma once
// Validador de inscrição estadual ligado ao programa. Substitui a biblioteca externa
// DllInscE32.Dll (ponto de entrada ConsisteInscricaoEstadual): dois
// textos entram (inscrição e sigla do estado) e 0 sai para inscrição válida.
// A regra dos dígitos verificadores está descrita no início de ValidadorIE.cpp.
#include <string>

namespace kov {

// Códigos de retorno do validador.
enum CodigoIE : int {
    IE_VALIDA = 0,
    IE_FORMATO_INVALIDO = 1,   // não tem exatamente 13 dígitos (pontuação, letras, brancos)
    IE_DIGITO_INVALIDO = 2,    // dígito verificador não confere
    IE_UF_NAO_SUPORTADA = 3,   // estado desconhecido ou sem regra neste validador
};

// 0 (IE_VALIDA) quando a inscrição é válida para o estado; outro código quando não é.
int ConsisteInscricaoEstadual(const std::string& inscricao, const std::string& uf);

// Ponto de troca para os testes: o validador que ConsisteIE (untUtils) chama.
// Por padrão é ConsisteInscricaoEstadual. Um dublê pode lançar exceção para simular
// a falha da biblioteca ("Dll não carregada"). Devolve o validador anterior;
// nullptr restaura o padrão.
using FuncaoValidadorIE = int (*)(const std::string& inscricao, const std::string& uf);
FuncaoValidadorIE DefinirValidadorIE(FuncaoValidadorIE f);
FuncaoValidadorIE ValidadorIEAtual();

}  // namespace kov
