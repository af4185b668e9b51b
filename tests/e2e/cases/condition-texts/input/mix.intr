Concept_num=2  Total_rulenum=6  Majority_class=1  Rule_qualityno=1
Concept=0  rulenum=4
num_of_pairs=3  and_pair_num=2  rule_accuracy=1  rule_quality=0.75  posnum=0  negnum=0
attrino=0  parino=1  direction=1  orflag=1
attrino=0  parino=0  direction=0  orflag=2
attrino=0  parino=1  direction=0  orflag=1
num_of_pairs=4  and_pair_num=3  rule_accuracy=1  rule_quality=3  posnum=0  negnum=0
attrino=0  parino=0  direction=0  orflag=2
attrino=0  parino=1  direction=0  orflag=1
attrino=0  parino=0  direction=1  orflag=1
attrino=0  parino=1  direction=1  orflag=1
num_of_pairs=4  and_pair_num=4  rule_accuracy=1  rule_quality=1.25  posnum=0  negnum=0
attrino=1  parino=1  direction=1  orflag=1
attrino=1  parino=3  direction=0  orflag=1
attrino=1  parino=2  direction=0  orflag=1
attrino=2  parino=1  direction=0  orflag=1
num_of_pairs=0  and_pair_num=0  rule_accuracy=0.5  rule_quality=0.1  posnum=0  negnum=0
Concept=1  rulenum=2
num_of_pairs=3  and_pair_num=3  rule_accuracy=1  rule_quality=1.5  posnum=0  negnum=0
attrino=2  parino=2  direction=1  orflag=1
attrino=0  parino=0  direction=1  orflag=1
attrino=0  parino=1  direction=1  orflag=1
num_of_pairs=3  and_pair_num=2  rule_accuracy=1  rule_quality=0.5  posnum=0  negnum=0
attrino=0  parino=0  direction=0  orflag=2
attrino=0  parino=2  direction=0  orflag=1
attrino=0  parino=1  direction=1  orflag=1
