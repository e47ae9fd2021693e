<?xml version="1.0" encoding="UTF-8"?>
<!-- The same mapping as buch.xb, for the comparison run with xsltproc. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="html" encoding="UTF-8"/>
  <xsl:template match="buch"><html><body><xsl:text>&#10;</xsl:text><xsl:apply-templates/></body></html><xsl:text>&#10;</xsl:text></xsl:template>
  <xsl:template match="titel"><h2><xsl:apply-templates/></h2></xsl:template>
  <xsl:template match="kapitel"><section class="kapitel"><xsl:apply-templates/></section></xsl:template>
  <xsl:template match="abschnitt"><section><xsl:apply-templates/></section></xsl:template>
  <xsl:template match="absatz"><p><xsl:apply-templates/></p></xsl:template>
  <xsl:template match="hervor"><em><xsl:apply-templates/></em></xsl:template>
  <xsl:template match="fussnote"><span class="fussnote">[<xsl:apply-templates/>]</span></xsl:template>
  <xsl:template match="tabelle"><table><xsl:apply-templates/></table></xsl:template>
  <xsl:template match="zeile"><tr><xsl:apply-templates/></tr></xsl:template>
  <xsl:template match="zelle"><td><xsl:apply-templates/></td></xsl:template>
  <xsl:template match="liste"><ul><xsl:apply-templates/></ul></xsl:template>
  <xsl:template match="punkt"><li><xsl:apply-templates/></li></xsl:template>
</xsl:stylesheet>
