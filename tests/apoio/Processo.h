#pragma once
// Roda um programa como processo filho e captura saída, erros e código de saída.
#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace kov::teste {

struct ResultadoProcesso {
    int codigo = -1;
    std::string saida, erros;
};

ResultadoProcesso rodar(const std::string& programa, const std::vector<std::string>& args,
                        const std::string& entrada = {});

// Como rodar, mas num grupo de processos próprio: quando o programa termina (morto num ponto de
// parada, por exemplo), o que ele deixou rodando no grupo (uma ferramenta como o gbak) é morto
// com SIGKILL e recolhido, como numa queda de energia que leva todos os processos juntos.
ResultadoProcesso rodarComoQueda(const std::string& programa, const std::vector<std::string>& args);

// As linhas de uma saída de texto, sem os fins de linha.
std::vector<std::string> linhas(const std::string& texto);

// Processo filho que corre enquanto o teste o observa: a saída e os erros vão para
// arquivos que o teste lê quando quer; pode receber sinais e ter a memória limitada
// (RLIMIT_AS, posto no filho antes do exec).
class ProcessoFilho {
public:
    // grupoProprio: o filho começa um grupo de processos (o número dele), para ser morto com
    // os que iniciar.
    ProcessoFilho(const std::string& programa, const std::vector<std::string>& args, size_t limiteMemoria = 0,
                  bool grupoProprio = false);
    int pid() const { return pid_; }
    ~ProcessoFilho();  // mata o filho se ainda estiver rodando
    ProcessoFilho(const ProcessoFilho&) = delete;
    ProcessoFilho& operator=(const ProcessoFilho&) = delete;

    // Espera 'texto' aparecer em stderr; falso se o prazo acabar ou o filho terminar antes.
    bool esperarErros(const std::string& texto, std::chrono::milliseconds prazo);
    void sinal(int s);
    // Espera o fim. codigo: o código de saída, ou -1 quando o filho morreu por sinal
    // (então 'sinalFinal' diz qual).
    ResultadoProcesso esperar();
    int sinalFinal = 0;

private:
    struct Arquivos;
    std::unique_ptr<Arquivos> arq_;
    int pid_ = -1;
};

// Copia o kov-cli compilado para a pasta (o programa lê o KOV.ini da sua própria pasta).
std::string instalarCli(const std::string& pastaExe);

}  // namespace kov::teste
