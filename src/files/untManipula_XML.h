#pragma once
// Montagem do arquivo de declaração e o seu verificador de integridade.
//
// O verificador é o SHA-1 dos bytes do arquivo sem o elemento verificador_integridade, em
// 40 dígitos hexadecimais maiúsculos, guardado como último filho de cabecalho. Escritor e
// conferência produzem os bytes pelo mesmo serializador (DocumentoXml), por isso um arquivo
// escrito aqui e não alterado passa na conferência.
#include <string>

#include "data/fb/Valor.h"

namespace kov {

class DocumentoXml;

class Interacao;

// Data e hora zero (30/12/1899 00:00:00): o protocolo de um arquivo ainda não transmitido.
fb::DataHora DataHoraZero();

// O registro do cabeçalho. Os textos já estão em 8 bits (ISO-8859-1), como vão para o arquivo.
struct TInfCabecalho {
    std::string tipo_identificador, identificador, tipo_arquivo, versao_programa_gerador;
    fb::DataHora data_inicial = DataHoraZero(), data_final = DataHoraZero();
    std::string indicativo_substituicao, protocolo_substituicao;
    fb::DataHora protocolo_data = DataHoraZero(), protocolo_hora = DataHoraZero();
    std::string protocolo_numero;
};

// "dd/mm/aaaa", seguida de um branco e "hh:mm" só quando a hora do dia não é meia-noite.
std::string TextoDataCabecalho(const fb::DataHora& d);
// "hh:mm"
std::string TextoHoraCabecalho(const fb::DataHora& d);

// As linhas do texto montado (cada uma termina em CR LF), antes da normalização.
std::string TextoArquivoDeclaracao(const TInfCabecalho& cab, const std::string& dados);

// Monta o arquivo: o texto acima é analisado e serializado (a normalização), o verificador
// é calculado sobre esses bytes e acrescentado como último filho de cabecalho, e o arquivo
// final é gravado no caminho por troca atômica (nunca fica meio arquivo com o nome final).
// 'dados' é o bloco de dados em 8 bits: os elementos contribuinte e documento, ou o texto
// Base64 da cifra seguido de CR LF. Texto que não é XML bem formado lança ErroSistema com o
// erro da libxml2; nada é gravado.
void MontarArquivoDeclaracao(const std::string& caminho, const TInfCabecalho& cab, const std::string& dados);

// SHA-1 dos bytes, em 40 dígitos hexadecimais maiúsculos.
std::string VerificadorDosBytes(const std::string& bytes);
// O verificador dos bytes atuais do arquivo, lido em blocos de 1024 bytes.
std::string CalcularVerificador(const std::string& caminho);
// Texto de cabecalho/verificador_integridade (vazio quando não existe); o elemento é
// removido e o arquivo regravado.
std::string ExtrairVerificador(const std::string& caminho);
// Acrescenta um verificador_integridade com o valor como último filho de cabecalho e regrava.
void RecolocarVerificador(const std::string& caminho, const std::string& valor);

// Confere o verificador de um arquivo: mostra "Conferindo dados do arquivo " + caminho, tira
// o verificador guardado, calcula o dos bytes sem ele, devolve o guardado ao fim de
// cabecalho (o arquivo é regravado mesmo quando confere) e limpa a situação. Verdadeiro
// quando os dois são iguais (comparação exata, maiúsculas contam). O arquivo é lido uma vez
// e regravado uma vez, por troca atômica: uma falha no meio nunca o deixa sem o verificador.
// Qualquer erro vira ErroSistema("Erro ao conferir o hash!"), e a situação fica como estava.
bool ConferirVerificador(const std::string& caminho, Interacao& ui);
// A mesma conferência sobre um documento já lido, sem gravar nada: o documento volta com o
// verificador no fim de cabecalho, como a conferência do arquivo o deixaria.
bool VerificadorConfere(DocumentoXml& doc);

extern const char* const MSG_ERRO_CONFERIR_HASH;  // "Erro ao conferir o hash!"

}  // namespace kov
