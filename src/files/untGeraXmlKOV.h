#pragma once
// O escritor do arquivo de declaração: transforma uma declaração dos regimes de débito e
// crédito (1, 2 e 4) num arquivo de declaração, com o bloco de dados às claras (entrega pelo
// transmissor) ou cifrado (gravação em pasta ou disco e cópia de declarações). Só lê; não
// muda nada na base.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "data/Declaracao.h"
#include "data/Entregas.h"
#include "files/untManipula_XML.h"

namespace kov {

class Interacao;
class Tdm;
namespace fb { class Conexao; class Transacao; }

// O que o escritor lê da base além do agregado, numa só transação de leitura.
struct DadosArquivoDeclaracao {
    Contribuinte contribuinte;
    // O responsável do contribuinte; quando não é achado, os seus campos vão vazios.
    Responsavel responsavel;
    std::optional<int> municipioTomContribuinte;  // MUNICIPIO_ID do município do contribuinte
    std::map<int, int> municipioTom;        // CODDRUMUNICIPIO → MUNICIPIO_ID
    std::vector<Entrega> entregas;  // em ordem de DATA, HORA; o recibo são os bytes guardados
    std::string codigoRegime;              // CodigoRegime da declaração
};
DadosArquivoDeclaracao LerDadosArquivoDeclaracao(fb::Conexao& c, const Declaracao& d);

// O que o escritor precisa do programa.
struct ContextoArquivo {
    fb::Conexao& conexao;
    Interacao& ui;
    std::string versao;       // a versão do programa (Versao da configuração), ex. "7.07.10"
    std::string pastaChaves;  // pasta de PublicKey.dat e PrivateKey.dat (a do programa)
};

// O contexto com a conexão, a conversa, a versão e a pasta do programa do módulo de dados.
ContextoArquivo ContextoArquivoDoModulo(Tdm& dm);

// Regra do zero: "0" quando o texto fica vazio sem os brancos das pontas, senão o texto como está.
std::string ValorOuZero(const std::string& texto);
// Troca as letras acentuadas pela letra sem acento, "&" por "e", "<" por "(" e ">" por ")";
// os demais caracteres passam como estão (texto em UTF-8).
std::string TextoSemAcentos(const std::string& texto);
// Valor no arquivo: vírgula decimal, sem separador de milhar, sem zeros à direita da parte
// decimal e sem a vírgula quando ela é zero ("1234", "1234,5", "-12,3", "0"); nulo dá vazio
// (a regra do zero o escreve "0").
std::string TextoValorArquivo(const Quantia& q);
// O código do regime em regime_recolhimento: CODIGO da linha de REGIME (uma consulta com
// parâmetro); 52 vira 53 e 54 vira 55 quando a apuração (TIPORECOLHIMENTO_ID) é 1; sem linha,
// vazio. Um erro da consulta segue com o mesmo texto.
std::string CodigoRegime(fb::Transacao& tr, const std::string& regimeId, std::optional<int> tipoRecolhimento);
// Verdadeiro quando nenhuma seção com linhas tem valor diferente de zero (nulo conta como
// diferente de zero) na linha olhada: a da declaração nas seções de uma linha, a primeira nas
// de várias.
bool DeclaracaoSemMovimento(const Declaracao& d);
// Os quatro grupos de medidas (valor_contabil, base_calculo, icms, operacao_sem_icms), cada
// um com as oito espécies, da linha do tipo de operação; sem a linha, tudo "0".
void EscreverDetalheOperacao(std::vector<std::string>& linhas, const Declaracao& d, int tipoOperacao);

// "KOV" + inscrição + PERIODO + MESFINAL + "01" + PERIODO + MESINICIAL + último dia do mês
// INICIAL + SUBSTITUICAO + ".xml".
std::string NomeArquivoDeclaracao(const std::string& inscricao, const Documento& doc);
std::string NomeArquivoDeclaracao(const Declaracao& d);

// O registro do cabeçalho de um arquivo escrito pelo sistema.
TInfCabecalho CabecalhoDaDeclaracao(const Declaracao& d, const Contribuinte& contribuinte, const std::string& versao);
// As linhas do bloco de dados, de "<contribuinte>" a "</documento>", em 8 bits.
std::vector<std::string> LinhasDadosDeclaracao(const Declaracao& d, const DadosArquivoDeclaracao& x);

// Escreve o arquivo da declaração no caminho.
// - Regime que não é 1, 2 ou 4: caixa "Tipo de documento inválido" e Abortar; nenhum arquivo.
// - Com 'cifrar', o bloco de dados vai cifrado; uma falha da cifra lança ErroSistema com o
//   texto da caixa de erro da cifra, e nenhum arquivo é escrito.
// - Qualquer outro erro segue como ErroSistema com o seu texto; o arquivo só aparece no
//   caminho quando está completo.
void GerarArquivoDeclaracao(const Declaracao& d, const ContextoArquivo& ctx, const std::string& caminho, bool cifrar);
// O mesmo pela chave, com o módulo de dados: a pasta das chaves é a do programa.
void GerarArquivoDeclaracao(Tdm& dm, int documentoId, const std::string& caminho, bool cifrar);

}  // namespace kov
