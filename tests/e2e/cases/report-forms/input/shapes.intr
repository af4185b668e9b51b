Concept_num=3  Total_rulenum=3  Majority_class=0  Rule_qualityno=2
Concept=0  rulenum=2
num_of_pairs=4  and_pair_num=2  rule_accuracy=0.9  rule_quality=0.5  posnum=0  negnum=0
attrino=0  parino=0  direction=0  orflag=3
attrino=0  parino=1  direction=0  orflag=1
attrino=0  parino=2  direction=0  orflag=1
attrino=0  parino=1  direction=1  orflag=1
num_of_pairs=3  and_pair_num=3  rule_accuracy=0.8  rule_quality=1.0  posnum=0  negnum=0
attrino=1  parino=0  direction=1  orflag=1
attrino=1  parino=1  direction=1  orflag=1
attrino=2  parino=0  direction=0  orflag=1
Concept=1  rulenum=1
num_of_pairs=3  and_pair_num=3  rule_accuracy=0.7  rule_quality=2.0  posnum=0  negnum=0
attrino=0  parino=0  direction=1  orflag=1
attrino=0  parino=2  direction=0  orflag=1
attrino=2  parino=1  direction=0  orflag=1
Concept=2  rulenum=0
