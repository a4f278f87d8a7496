#pragma once
// Importação em lote dos cadastros a partir de planilhas CSV, para o contador que traz a
// sua carteira de clientes para o programa.
//
// Arquivo: primeira linha com os nomes das colunas (sem distinguir maiúsculas), campos
// separados por ";", campos entre aspas duplas podem conter ";" e quebras de linha ("" é
// uma aspa). Texto em UTF-8 (com ou sem BOM) ou, quando não é UTF-8 válido, Windows-1252.
// Cada linha passa pelas mesmas verificações da tela e é gravada inteira ou recusada
// inteira; as perguntas da tela (DDD ou telefone vazios) são respondidas "Sim".
// As colunas aceitas estão no README.
#include <map>
#include <string>
#include <vector>

#include "platform/Interacao.h"

namespace kov {

namespace fb { class Conexao; }

// Problema do arquivo como um todo (não existe, cabeçalho inválido): nada é importado.
class ErroArquivoCSV : public ErroSistema {
public:
    using ErroSistema::ErroSistema;
};

// Um registro do CSV: a linha do arquivo em que começa e os seus campos, sem as aspas.
struct RegistroCSV {
    int linha = 0;
    std::vector<std::string> campos;
    bool aspasAbertas = false;  // o arquivo terminou dentro de um campo entre aspas
};

// Divide o texto em registros; linhas em branco viram registros com um campo vazio.
std::vector<RegistroCSV> DividirCSV(const std::string& texto);

// Lê o arquivo e devolve o texto em UTF-8, sem BOM. Lança ErroArquivoCSV quando o arquivo
// não existe ou não pode ser lido.
std::string LerArquivoCSV(const std::string& caminho);

enum class TipoCadastro { Contribuintes, Responsaveis };

struct PlanilhaCadastro {
    TipoCadastro tipo = TipoCadastro::Contribuintes;
    std::map<std::string, size_t> coluna;  // nome canônico da coluna → posição no registro
    std::vector<RegistroCSV> registros;    // sem o cabeçalho
};

// Confere o cabeçalho (colunas conhecidas, sem repetição, as obrigatórias presentes).
// Lança ErroArquivoCSV quando o cabeçalho não serve.
PlanilhaCadastro LerPlanilha(const std::string& textoUtf8, TipoCadastro tipo);

struct ResultadoImportacao {
    int importados = 0;
    int recusados = 0;
};

// Grava cada linha aceita; cada linha recusada é informada pela Interacao com o texto
// "Linha N: " seguido da mensagem da tela.
ResultadoImportacao ImportarContribuintes(fb::Conexao& c, const PlanilhaCadastro& p, Interacao& ui);
ResultadoImportacao ImportarResponsaveis(fb::Conexao& c, const PlanilhaCadastro& p, Interacao& ui);

// "N importados, M recusados" (no singular quando é 1).
std::string ResumoImportacao(const ResultadoImportacao& r);

}  // namespace kov
