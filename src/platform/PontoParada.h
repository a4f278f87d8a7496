#pragma once
// Pontos de parada para os testes de interrupção: quando a variável de ambiente
// KOV_TESTE_PARAR_EM tem o nome do ponto, o processo termina ali mesmo, sem destrutores nem
// gravações pendentes, como se tivesse sido morto (falta de energia, kill -9). Sem a variável
// não faz nada.
namespace kov {

// Código de saída do processo parado num ponto (o mesmo de um processo morto pelo sinal 9).
constexpr int CODIGO_PARADA_TESTE = 137;

void PontoDeParada(const char* nome);

// Parada no meio do que vem a seguir (uma confirmação que o Firebird faz em várias gravações):
// com KOV_TESTE_PARAR_EM igual a "<nome>@<microssegundos>", o processo termina esse tempo
// depois desta chamada, esteja onde estiver.
void PontoDeParadaDurante(const char* nome);

}  // namespace kov
