#pragma once
// Peças comuns dos verbos do kov-cli: a conversa pela linha de comando, a abertura do
// módulo de dados e a tabela de verbos que o despachante percorre.
#include <ostream>
#include <string>
#include <vector>

#include "platform/Interacao.h"

namespace kov {
class Tdm;
struct ListasConsistencia;
}

namespace kov::cli {

// Saídas e pasta do programa de uma execução.
struct Contexto {
    std::ostream& out;
    std::ostream& err;
    std::string dir;
    bool terminal = false;  // stdout é um terminal: as listagens ganham cabeçalho
};

// Código de saída para uso incorreto, nome desconhecido ou arquivo de entrada ausente.
constexpr int USO_INCORRETO = 2;

// Conversa pela linha de comando: mensagens em stderr; perguntas respondidas "Sim"
// (o usuário pediu o comando).
class InteracaoCli : public Interacao {
public:
    explicit InteracaoCli(std::ostream& err) : err_(err) {}
    void mensagem(TipoMensagem tipo, const std::string& titulo, const std::string& texto) override;
    void mostrarStatus(const std::string& texto) override;
    bool pergunta(const std::string& titulo, const std::string& texto) override;
    void erro(const std::string& texto) override;
    std::string opcoesArquivoExistente() override;
    // Andamento em porcentagem numa só linha, quando stderr é um terminal.
    void progresso(unsigned long long feito, unsigned long long total) override;
    int falhas() const { return falhas_; }
    // As mensagens informativas (o resultado de um verbo, como a da atualização da base) vão
    // para 'saida' em vez de stderr.
    void informacoesEm(std::ostream& saida) { informacoes_ = &saida; }

    // "\r\n" e "\r" dos textos do sistema viram quebras de linha no terminal.
    static std::string paraTerminal(const std::string& t);

private:
    std::ostream& err_;
    std::ostream* informacoes_ = nullptr;
    int falhas_ = 0;
    int ultimoPercentual_ = -1;
};

// Abre o módulo de dados como o programa faz ao iniciar; falso se não ficou utilizável.
bool abrirModulo(Tdm& dm, InteracaoCli& ui);

// Texto da base numa listagem ou mensagem: sem caracteres de controle crus (TextoVisivel);
// tabulações e quebras de linha viram espaço, uma linha por registro.
std::string campoLista(const std::string& s);

// Cabeçalho de uma listagem, só quando stdout é um terminal (um script que lê a saída
// recebe apenas os registros).
void cabecalhoLista(Contexto& c, const std::vector<std::string>& colunas);
// Listagem sem linhas: diz em stderr, para o usuário não pensar que o comando falhou.
void listaVazia(Contexto& c, const std::string& texto);

std::string plural(size_t n, const char* singular, const char* plural);

// Falso (e a mensagem "Arquivo não encontrado: ...") quando algum arquivo pedido não existe.
bool arquivosExistem(const std::vector<std::string>& arquivos, Contexto& c);

// Cria a pasta de saída com as que faltarem; falso (e a mensagem) quando não consegue.
bool criarPasta(const std::string& pasta, Contexto& c);

// Número inteiro positivo de até 9 dígitos.
bool inteiroPositivo(const std::string& s, int& n);

// Um verbo: "substantivo verbo" (ou só "verbo" quando o substantivo é vazio), a linha de
// uso, o texto da ajuda e a função, que recebe os argumentos depois do verbo.
struct Verbo {
    std::string substantivo;
    std::string nome;
    std::string uso;    // argumentos, por exemplo "CAMINHO [--scripts ARQ.sql...]"
    std::string ajuda;  // o que faz, em uma ou mais linhas
    int (*rodar)(const Verbo& v, const std::vector<std::string>& args, Contexto& c) = nullptr;

    std::string comando() const { return substantivo.empty() ? nome : substantivo + " " + nome; }
    // "Uso: kov-cli <comando> <uso>"
    std::string linhaUso() const;
};

// Uso do verbo em stderr e o código de uso incorreto.
int usoIncorreto(const Verbo& v, Contexto& c, const std::string& motivo = {});

// Ano base gravado. Um valor que não é ano (gravado à mão numa base antiga) faria as
// consultas falharem com um erro do banco: é dito com o caminho para corrigi-lo.
bool anoBaseGravado(Tdm& dm, Contexto& c, std::string& ano);

// A declaração consistida: chave, inscrição, razão social, "Consistente" ou "Inconsistente",
// e os erros achados a partir do índice 'antes' da lista, indentados, cada um seguido de
// "Onde corrigir:" com as palavras da lista de consistências.
void mostrarConsistencia(Contexto& c, const Tdm& dm, const ListasConsistencia& listas, int chave, int status,
                         size_t antes);

// declaracoes recibo com --pdf: o recibo de transmissão de uma entrega em PDF.
int reciboPdf(const Verbo& v, const std::vector<std::string>& args, Contexto& c);

// Verbos de cada substantivo, na ordem da ajuda.
void verbosBase(std::vector<Verbo>& v);
void verbosCadastros(std::vector<Verbo>& v);
void verbosDeclaracoes(std::vector<Verbo>& v);
void verbosEdicaoDeclaracoes(std::vector<Verbo>& v);
void verbosRelatorios(std::vector<Verbo>& v);
void verbosEntrega(std::vector<Verbo>& v);
void verbosProtocolos(std::vector<Verbo>& v);
void verbosArquivos(std::vector<Verbo>& v);
void verbosReferencias(std::vector<Verbo>& v);
void verbosBackup(std::vector<Verbo>& v);

}  // namespace kov::cli
